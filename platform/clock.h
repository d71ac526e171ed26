// The time of day, for a tool that says when it ran.
#pragma once

#include <cstdint>

namespace pomvarin::platform {

// Seconds since 1970-01-01 00:00 UTC.
std::int64_t SecondsSince1970();

}  // namespace pomvarin::platform
