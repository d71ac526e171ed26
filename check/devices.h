// The PCI devices a check runs against: the present ones, or those of a
// capture of another machine's (check/capture/capture.h).
#pragma once

#include <string>
#include <vector>

#include "platform/check_support.h"

namespace pomvarin::check {

struct Device {
  // Most specific first, as the device-setup service gives them; empty when
  // they cannot be read (such a device never matches).
  std::vector<std::string> hardwareIds;
  // What a capture could not tell of the device, for people; empty when
  // nothing.
  std::string note;
};

using Devices = std::vector<Device>;

// The present PCI devices in the platform's listing order. False when the
// device list cannot be obtained.
bool ReadPresentDevices(Devices* devices);

// The IDs of a NUL-separated list ended by an empty one, as the
// device-setup service gives them.
std::vector<std::string> SplitIdList(const unsigned char* data,
                                     std::size_t size);

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
