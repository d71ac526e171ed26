#include "platform/help_switch.h"

namespace pomvarin::platform {

bool HasSlashHelpSwitch() { return true; }

}  // namespace pomvarin::platform
