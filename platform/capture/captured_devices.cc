#include "platform/capture/captured_devices.h"

#include <cstring>

#include "platform/indexed_record.h"
#include "platform/platform.h"
#include "platform/system_devices.h"

namespace pomvarin::platform {

namespace {

// The hardware ID lists of the capture in place (see ScopedCapture), or
// nullptr for the system's devices.
const std::vector<std::string>* capture = nullptr;

// A list of the capture is the capture itself: one list, open as often as
// asked, which nothing has to close.
DeviceList AsList(const std::vector<std::string>* devices) {
  return reinterpret_cast<DeviceList>(
      const_cast<std::vector<std::string>*>(devices));
}

// The IDs NUL-separated and ended by an empty one, as the device-setup
// service gives them; empty when there are none, which reads as a failure.
std::string IdList(const CapturedDevice& device) {
  std::string list;
  for (const std::string& id : device.hardwareIds) {
    list += id;
    list += '\0';
  }
  if (!list.empty()) list += '\0';
  return list;
}

}  // namespace

ScopedCapture::ScopedCapture(const CapturedDevices& devices)
    : replaced_(capture) {
  idLists_.reserve(devices.size());
  for (const CapturedDevice& device : devices)
    idLists_.push_back(IdList(device));
  capture = &idLists_;
}

ScopedCapture::~ScopedCapture() { capture = replaced_; }

DeviceList OpenDeviceList(const SetupClass* setupClass,
                          const char* enumerator) {
  if (!capture) return OpenSystemDeviceList(setupClass, enumerator);
  return AsList(capture);
}

bool EnumerateDevice(DeviceList list, std::uint32_t index,
                     DeviceRecord* device) {
  if (!capture) return EnumerateSystemDevice(list, index, device);
  if (index >= capture->size()) return false;
  StoreRecordIndex(index, device);
  return true;
}

// The hardware IDs with the size protocol of the device-setup service.
PropertyRead ReadDeviceProperty(DeviceList list, const DeviceRecord& device,
                                std::uint32_t property, unsigned char* buffer,
                                std::uint32_t size, std::uint32_t* required) {
  if (!capture)
    return ReadSystemDeviceProperty(list, device, property, buffer, size,
                                    required);
  const std::uint32_t index = RecordIndex(device);
  if (property != kPropertyHardwareId || index >= capture->size() ||
      (*capture)[index].empty())
    return PropertyRead::kFailed;
  const std::string& data = (*capture)[index];
  *required = static_cast<std::uint32_t>(data.size());
  if (size < data.size()) return PropertyRead::kBufferTooSmall;
  std::memcpy(buffer, data.data(), data.size());
  return PropertyRead::kDone;
}

void CloseDeviceList(DeviceList list) {
  if (!capture) CloseSystemDeviceList(list);
}

}  // namespace pomvarin::platform
