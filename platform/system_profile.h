// The system's own reader of initialisation files behind ReadProfileString
// of platform.h: the Windows reader on Windows, profile_reader.cc's on
// Linux. The launcher's build answers ReadProfileString with it
// (present_profile.cc); pomvarin-check's build keeps its answers for the
// run in front of it (capture/kept_profile.h).
#pragma once

#include "platform/platform.h"

namespace pomvarin::platform {

void ReadSystemProfileString(const char* section, const char* key,
                             const char* fallback, Text& value,
                             const char* path);

}  // namespace pomvarin::platform
