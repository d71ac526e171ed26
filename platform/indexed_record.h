// A device record that carries its device's index in its list: the form of
// every device list that is an array (the kernel's device folders, a
// capture, the tests' in-memory devices).
#pragma once

#include <cstdint>
#include <cstring>

#include "platform/platform.h"

namespace pomvarin::platform {

inline void StoreRecordIndex(std::uint32_t index, DeviceRecord* device) {
  std::memset(device->bytes, 0, sizeof device->bytes);
  std::memcpy(device->bytes, &index, sizeof index);
}

inline std::uint32_t RecordIndex(const DeviceRecord& device) {
  std::uint32_t index;
  std::memcpy(&index, device.bytes, sizeof index);
  return index;
}

}  // namespace pomvarin::platform
