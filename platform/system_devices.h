// The system's own PCI devices behind the device operations of platform.h:
// the device-setup service on Windows, the kernel's device folders on
// Linux. The launcher's build answers the device operations with these
// (present_devices.cc); pomvarin-check's build puts its captures in front of
// them (capture/).
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace pomvarin::platform {

DeviceList OpenSystemDeviceList(const SetupClass* setupClass,
                                const char* enumerator);
bool EnumerateSystemDevice(DeviceList list, std::uint32_t index,
                           DeviceRecord* device);
PropertyRead ReadSystemDeviceProperty(DeviceList list,
                                      const DeviceRecord& device,
                                      std::uint32_t property,
                                      unsigned char* buffer,
                                      std::uint32_t size,
                                      std::uint32_t* required);
void CloseSystemDeviceList(DeviceList list);

}  // namespace pomvarin::platform
