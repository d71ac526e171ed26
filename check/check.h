// What the launcher would do with the disc in the current directory, found
// by running the launcher's own vendor pass with a recorder in place of its
// starts and trace, and what in Pomvarin.ini looks wrong. Nothing is
// started and no box is shown.
#pragma once

#include "check/devices.h"
#include "check/report/results.h"

namespace pomvarin::check {

enum class CheckOutcome {
  kChecked,
  kNoCurrentDirectory,  // unreadable, or too long for the launcher
  kUnreadableConfiguration,
  kConfigurationTooLarge,  // past kConfigurationLimit: not read further
};

// Where the devices of a check come from.
enum class DeviceOrigin {
  kPresent,  // the system's: devices were read from it
  kCapture,  // devices themselves, through the platform's device operations
};

// Checks the disc in the current directory: the launcher's pass on the
// devices, and warnings of what would go wrong with them.
CheckOutcome CheckCurrentDirectory(const Devices& devices, DeviceOrigin origin,
                                   Report* report);

}  // namespace pomvarin::check
