// Device captures: another machine's PCI devices, saved with --list or by
// `lspci -vmm -nn`.
#pragma once

#include <string>

#include "check/devices.h"

namespace pomvarin::check {

// Reads a capture: the --list form, or the output of `lspci -vmm -nn`
// (recognised by its "Slot:" lines), whose numbers become the hardware IDs
// the Windows form gives. False with a message naming the line at fault.
bool ParseDeviceCapture(const std::string& text, Devices* devices,
                        std::string* error);

// The --list form: a comment line, then one device per line with its
// hardware IDs separated by blanks, "-" for a device without any.
std::string FormatDeviceList(const Devices& devices);

}  // namespace pomvarin::check
