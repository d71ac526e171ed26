#include "platform/clock.h"

#include <ctime>

namespace pomvarin::platform {

std::int64_t SecondsSince1970() { return std::time(nullptr); }

}  // namespace pomvarin::platform
