// The launcher's devices are the system's present ones.
#include "platform/platform.h"
#include "platform/system_devices.h"

namespace pomvarin::platform {

DeviceList OpenDeviceList(const SetupClass* setupClass,
                          const char* enumerator) {
  return OpenSystemDeviceList(setupClass, enumerator);
}

bool EnumerateDevice(DeviceList list, std::uint32_t index,
                     DeviceRecord* device) {
  return EnumerateSystemDevice(list, index, device);
}

PropertyRead ReadDeviceProperty(DeviceList list, const DeviceRecord& device,
                                std::uint32_t property, unsigned char* buffer,
                                std::uint32_t size, std::uint32_t* required) {
  return ReadSystemDeviceProperty(list, device, property, buffer, size,
                                  required);
}

void CloseDeviceList(DeviceList list) { CloseSystemDeviceList(list); }

}  // namespace pomvarin::platform
