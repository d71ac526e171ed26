// The PCI devices a check runs against: the present ones, or a capture of
// another machine's, saved with --list or by `lspci -vmm -nn`.
#pragma once

#include <string>
#include <vector>

#include "platform/check_support.h"

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

// The first hardware ID of a device of an open list, as the platform gives
// it; empty when it cannot be read.
std::string FirstHardwareId(platform::DeviceList list,
                            const platform::DeviceRecord& device);

// While it lives, the platform's device operations list these devices, in
// their order, instead of the present ones: the launcher's own question then
// runs on a capture. A device without hardware IDs is one whose property
// cannot be read.
class ScopedDeviceCapture : public platform::DeviceSource {
 public:
  explicit ScopedDeviceCapture(const Devices& devices);
  ~ScopedDeviceCapture();
  ScopedDeviceCapture(const ScopedDeviceCapture&) = delete;
  ScopedDeviceCapture& operator=(const ScopedDeviceCapture&) = delete;

  platform::DeviceList Open(const platform::SetupClass* setupClass,
                            const char* enumerator) override;
  bool Enumerate(platform::DeviceList list, std::uint32_t index,
                 platform::DeviceRecord* device) override;
  platform::PropertyRead ReadProperty(platform::DeviceList list,
                                      const platform::DeviceRecord& device,
                                      std::uint32_t property,
                                      unsigned char* buffer, std::uint32_t size,
                                      std::uint32_t* required) override;
  void Close(platform::DeviceList list) override;

 private:
  const Devices& devices_;
};

}  // namespace pomvarin::check
