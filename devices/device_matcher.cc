#include "devices/device_matcher.h"

#include "common/text.h"

namespace pomvarin {

namespace {

const char kFallback[] = "Unknown";

// Requests for one property, the first included; a real property needs two.
constexpr std::uint32_t kPropertyRequestLimit = 8;

}  // namespace

bool DeviceMatcher::FindDevice(const char* enumerator, std::uint32_t property1,
                               const char* text1, std::uint32_t property2,
                               const char* text2,
                               DeviceAnswered* answered) const {
  return FindDeviceInClass(nullptr, enumerator, property1, text1, property2,
                           text2, answered);
}

bool DeviceMatcher::FindDeviceInClass(const platform::SetupClass* setupClass,
                                      const char* enumerator,
                                      std::uint32_t property1,
                                      const char* text1,
                                      std::uint32_t property2,
                                      const char* text2,
                                      DeviceAnswered* answered) const {
  platform::DeviceList list = platform::OpenDeviceList(setupClass, enumerator);
  if (!list) {
    platform::Trace(kDevicesUnavailable);
    return false;
  }
  platform::ScopedDeviceList owner(list);
  platform::DeviceRecord device;
  for (std::uint32_t index = 0; platform::EnumerateDevice(list, index, &device);
       ++index) {
    if (PropertyContains(list, device, property1, text1) &&
        PropertyContains(list, device, property2, text2)) {
      if (answered) answered->OnDeviceAnswered(list, device);
      return true;
    }
  }
  return false;
}

bool ReadPropertyBytes(platform::DeviceList list,
                       const platform::DeviceRecord& device,
                       std::uint32_t property, PropertyBytes& bytes) {
  std::uint32_t required = 0;
  bytes.result = platform::ReadDeviceProperty(list, device, property, nullptr,
                                              0, &required);
  // Grow the buffer while the platform asks for more. A property that keeps
  // growing, or a request for no more than the buffer holds, ends the loop.
  for (std::uint32_t requests = 1;
       bytes.result == platform::PropertyRead::kBufferTooSmall &&
       required > bytes.size && requests < kPropertyRequestLimit;
       ++requests) {
    bytes.buffer.reset(platform::AllocateZeroed(required));
    if (!bytes.buffer.get()) return false;
    bytes.size = required;
    bytes.result = platform::ReadDeviceProperty(
        list, device, property, bytes.buffer.get(), bytes.size, &required);
  }
  return true;
}

bool DeviceMatcher::PropertyContains(platform::DeviceList list,
                                     platform::DeviceRecord device,
                                     std::uint32_t property,
                                     const char* text) const {
  PropertyBytes bytes;
  if (!ReadPropertyBytes(list, device, property, bytes)) return false;
  if (!bytes.buffer.get()) {
    return FirstStringContains(reinterpret_cast<const unsigned char*>(kFallback),
                               sizeof kFallback, text);
  }
  return FirstStringContains(bytes.buffer.get(), bytes.size, text);
}

}  // namespace pomvarin
