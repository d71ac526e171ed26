// The launcher reads Pomvarin.ini with the system's reader, every value
// afresh.
#include "platform/platform.h"
#include "platform/system_profile.h"

namespace pomvarin::platform {

void ReadProfileString(const char* section, const char* key,
                       const char* fallback, Text& value, const char* path) {
  ReadSystemProfileString(section, key, fallback, value, path);
}

}  // namespace pomvarin::platform
