#include "check/devices.h"

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

ScopedDeviceCapture::ScopedDeviceCapture(const Devices& devices)
    : devices_(devices) {
  platform::SetDeviceSource(this);
}

ScopedDeviceCapture::~ScopedDeviceCapture() {
  platform::SetDeviceSource(nullptr);
}

// The list is the capture itself: one list, open as often as asked.
platform::DeviceList ScopedDeviceCapture::Open(const platform::SetupClass*,
                                               const char*) {
  return reinterpret_cast<platform::DeviceList>(this);
}

bool ScopedDeviceCapture::Enumerate(platform::DeviceList, std::uint32_t index,
                                    platform::DeviceRecord* device) {
  if (index >= devices_.size()) return false;
  std::memset(device->bytes, 0, sizeof device->bytes);
  std::memcpy(device->bytes, &index, sizeof index);
  return true;
}

// The hardware IDs with the size protocol of the device-setup service.
platform::PropertyRead ScopedDeviceCapture::ReadProperty(
    platform::DeviceList, const platform::DeviceRecord& device,
    std::uint32_t property, unsigned char* buffer, std::uint32_t size,
    std::uint32_t* required) {
  std::uint32_t index;
  std::memcpy(&index, device.bytes, sizeof index);
  if (property != platform::kPropertyHardwareId || index >= devices_.size() ||
      devices_[index].hardwareIds.empty())
    return platform::PropertyRead::kFailed;
  std::string data;
  for (const std::string& id : devices_[index].hardwareIds) data += id + '\0';
  data += '\0';
  *required = static_cast<std::uint32_t>(data.size());
  if (size < data.size()) return platform::PropertyRead::kBufferTooSmall;
  std::memcpy(buffer, data.data(), data.size());
  return platform::PropertyRead::kDone;
}

void ScopedDeviceCapture::Close(platform::DeviceList) {}

}  // namespace pomvarin::check
