#include "platform/help_switch.h"

namespace pomvarin::platform {

// "/?" is a path on Linux.
bool HasSlashHelpSwitch() { return false; }

}  // namespace pomvarin::platform
