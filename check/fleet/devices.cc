#include "check/fleet/devices.h"

#include <cstdint>
#include <cstring>

#include "common/text.h"
#include "devices/device_matcher.h"
#include "platform/platform.h"

namespace pomvarin::check {

std::vector<std::string> SplitIdList(const unsigned char* data,
                                     std::size_t size) {
  std::vector<std::string> ids;
  std::size_t at = 0;
  while (at < size && data[at] != '\0') {
    const void* end = std::memchr(data + at, '\0', size - at);
    const std::size_t length =
        end ? static_cast<const unsigned char*>(end) - (data + at) : size - at;
    ids.emplace_back(reinterpret_cast<const char*>(data + at), length);
    at += length + 1;
  }
  return ids;
}

namespace {

std::vector<std::string> ReadHardwareIds(platform::DeviceList list,
                                         const platform::DeviceRecord& device) {
  PropertyBytes bytes;
  if (!ReadPropertyBytes(list, device, platform::kPropertyHardwareId, bytes) ||
      bytes.result != platform::PropertyRead::kDone || !bytes.buffer.get())
    return {};
  return SplitIdList(bytes.buffer.get(), bytes.size);
}

}  // namespace

bool ReadPresentDevices(Devices* devices) {
  platform::DeviceList list = platform::OpenDeviceList(nullptr, "PCI");
  if (!list) return false;
  platform::ScopedDeviceList owner(list);
  devices->clear();
  platform::DeviceRecord device;
  for (std::uint32_t index = 0; platform::EnumerateDevice(list, index, &device);
       ++index)
    devices->push_back(Device{ReadHardwareIds(list, device), {}});
  return true;
}

std::string FirstHardwareId(platform::DeviceList list,
                            const platform::DeviceRecord& device) {
  const std::vector<std::string> ids = ReadHardwareIds(list, device);
  return ids.empty() ? std::string() : ids.front();
}

}  // namespace pomvarin::check
