// The system's own way of asking a console program for help.
#pragma once

namespace pomvarin::platform {

// Whether "/?" asks for help here, as it does on Windows.
bool HasSlashHelpSwitch();

}  // namespace pomvarin::platform
