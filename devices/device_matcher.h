// Asks the platform's device-setup service whether a present device carries
// given texts in its registry properties.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace pomvarin {

// The trace line of a question whose device list cannot be had.
constexpr char kDevicesUnavailable[] = "Device information is unavailable";

// A device property read into memory of its own.
struct PropertyBytes {
  platform::ScopedBuffer buffer;  // nullptr when nothing was allocated
  std::uint32_t size = 0;         // bytes in buffer
  platform::PropertyRead result = platform::PropertyRead::kFailed;
};

// Asks for the property, growing a zero-filled buffer while the platform asks
// for more: at most 8 requests, and never again for a size already held, so a
// property that keeps growing cannot hold the run. False when a buffer
// cannot be allocated; otherwise bytes holds the last request's state.
bool ReadPropertyBytes(platform::DeviceList list,
                       const platform::DeviceRecord& device,
                       std::uint32_t property, PropertyBytes& bytes);

// Told of the device that answered a question, while its list is open:
// pomvarin-check reads what it reports of the device from there.
class DeviceAnswered {
 public:
  virtual void OnDeviceAnswered(platform::DeviceList list,
                                const platform::DeviceRecord& device) = 0;

 protected:
  ~DeviceAnswered() = default;
};

// Stateless: every question lists the devices afresh and keeps nothing.
class DeviceMatcher {
 public:
  // FindDeviceInClass with no setup class.
  bool FindDevice(const char* enumerator, std::uint32_t property1,
                  const char* text1, std::uint32_t property2,
                  const char* text2,
                  DeviceAnswered* answered = nullptr) const;

  // Whether a present device of the enumerator has text1 in property1 and
  // text2 in property2; the first such device ends the search, and is
  // handed to answered when one is given.
  bool FindDeviceInClass(const platform::SetupClass* setupClass,
                         const char* enumerator, std::uint32_t property1,
                         const char* text1, std::uint32_t property2,
                         const char* text2,
                         DeviceAnswered* answered = nullptr) const;

  // Whether text occurs in the first string of the device's property. A
  // property that cannot be read is tested as the text "Unknown".
  bool PropertyContains(platform::DeviceList list,
                        platform::DeviceRecord device, std::uint32_t property,
                        const char* text) const;
};

}  // namespace pomvarin
