// The PCI devices a check runs against: the present ones, or a capture of
// another machine's, saved with --list or by `lspci -vmm -nn`.
#pragma once

#include <string>
#include <vector>

namespace pomvarin::check {

struct Device {
  // Most specific first, as the device-setup service gives them; empty when
  // they cannot be read (such a device never matches).
  std::vector<std::string> hardwareIds;
};

using Devices = std::vector<Device>;

// The present PCI devices in the platform's listing order. False when the
// device list cannot be obtained.
bool ReadPresentDevices(Devices* devices);

// Reads a capture: the --list form, or the output of `lspci -vmm -nn`
// (recognised by its "Slot:" lines), whose numbers become the hardware IDs
// the Windows form gives. False with a message naming the line at fault.
bool ParseDeviceCapture(const std::string& text, Devices* devices,
                        std::string* error);

// The --list form: a comment line, then one device per line with its
// hardware IDs separated by blanks, "-" for a device without any.
std::string FormatDeviceList(const Devices& devices);

// The first device whose first hardware ID holds both texts, as the
// launcher's question asks; nullptr when there is none.
const Device* FindMatchingDevice(const Devices& devices, const char* text1,
                                 const char* text2);

}  // namespace pomvarin::check
