// The system's own clock call, already among the program's imports: the C++
// runtime's clocks would bring in several more, setting the time among them.
#include "platform/clock.h"

#include <windows.h>

namespace pomvarin::platform {

std::int64_t SecondsSince1970() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  const std::int64_t since1601 =
      (static_cast<std::int64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  // 100 ns steps, from 1601 to 1970.
  return (since1601 - 116444736000000000LL) / 10000000;
}

}  // namespace pomvarin::platform
