#include "platform/posix/pci_devices.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <new>
#include <unistd.h>

#include "platform/check_support.h"
#include "platform/posix/folder_names.h"
#include "platform/posix/posix_common.h"

namespace pomvarin::platform {

struct DeviceListState {
  // Kept open so that every device's files are opened relative to it;
  // none for a list of no devices.
  posix::FolderStream folder;
  posix::NameTable names;
  // The hardware IDs of the device read last. A property is asked for
  // twice in a row, for its size and then for its bytes; the second request
  // is answered from here instead of reading the six files again. The list
  // is made afresh for every question, so nothing outlives one question.
  bool idsKept = false;
  std::uint32_t idsIndex = 0;
  std::uint32_t idsSize = 0;
  char ids[kHardwareIdsSize];
};

}  // namespace pomvarin::platform

namespace pomvarin::platform::posix {

namespace {

constexpr char kEnumerator[] = "PCI";
constexpr std::uint32_t kWordLimit = 0xFFFF;
constexpr std::uint32_t kByteLimit = 0xFF;
constexpr std::uint32_t kClassLimit = 0xFFFFFF;
// Where the revision sits in a device's configuration space.
constexpr off_t kConfigRevisionOffset = 8;
// Longer than any well-formed number file ("0x" + 6 digits + newline).
constexpr std::size_t kNumberFileSize = 32;

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsPciEnumerator(const char* enumerator) {
  // No enumerator asks for all present devices; the PCI ones are all there
  // are here.
  if (!enumerator) return true;
  std::size_t i = 0;
  for (; kEnumerator[i] != '\0'; ++i) {
    if (LowerAscii(enumerator[i]) != LowerAscii(kEnumerator[i])) return false;
  }
  return enumerator[i] == '\0';
}

// The device's file name, as "device/name", opened relative to the open
// devices folder: one lookup of a short path, with no open of the device's
// own folder. A device folder that may only be passed through still gives
// its files.
int OpenDeviceFile(int devicesFolder, const char* device, const char* name) {
  PosixPath path;
  const int length = std::snprintf(path, sizeof path, "%s/%s", device, name);
  if (length < 0 || static_cast<std::size_t>(length) >= sizeof path) {
    errno = ENAMETOOLONG;
    return -1;
  }
  return openat(devicesFolder, path, O_RDONLY | O_CLOEXEC);
}

// One read: the kernel hands a number file over whole, and a plain file
// delivers all it holds up to the size asked for, so a read that fills the
// buffer means a file longer than any number file.
bool ReadNumberFile(int fd, std::uint32_t limit, std::uint32_t* value) {
  char text[kNumberFileSize];
  ssize_t got;
  do {
    got = read(fd, text, sizeof text);
  } while (got < 0 && errno == EINTR);
  if (got < 0 || static_cast<std::size_t>(got) == sizeof text) return false;
  return ParseDeviceNumber(text, static_cast<std::size_t>(got), limit, value);
}

bool ReadNumber(int devicesFolder, const char* device, const char* name,
                std::uint32_t limit, std::uint32_t* value) {
  FileDescriptor file(OpenDeviceFile(devicesFolder, device, name));
  return file.get() >= 0 && ReadNumberFile(file.get(), limit, value);
}

bool ReadRevision(int devicesFolder, const char* device,
                  std::uint32_t* revision) {
  FileDescriptor file(OpenDeviceFile(devicesFolder, device, "revision"));
  if (file.get() >= 0) return ReadNumberFile(file.get(), kByteLimit, revision);
  if (errno != ENOENT) return false;
  // Without a revision file the configuration space still holds it.
  FileDescriptor config(OpenDeviceFile(devicesFolder, device, "config"));
  if (config.get() < 0) return false;
  unsigned char byte = 0;
  ssize_t got;
  do {
    got = pread(config.get(), &byte, 1, kConfigRevisionOffset);
  } while (got < 0 && errno == EINTR);
  if (got != 1) return false;
  *revision = byte;
  return true;
}

}  // namespace

bool ParseDeviceNumber(const char* text, std::size_t length,
                       std::uint32_t limit, std::uint32_t* value) {
  if (length > 0 && text[length - 1] == '\n') --length;
  if (length < 3 || text[0] != '0' || text[1] != 'x') return false;
  // Checked at every digit, so the number never passes limit * 16 + 15,
  // which needs more than 32 bits for the largest limits.
  std::uint64_t number = 0;
  for (std::size_t i = 2; i < length; ++i) {
    const int digit = HexDigitValue(text[i]);
    if (digit < 0) return false;
    number = number * 16 + static_cast<std::uint64_t>(digit);
    if (number > limit) return false;
  }
  *value = static_cast<std::uint32_t>(number);
  return true;
}

bool ReadPciNumbers(int devicesFolder, const char* deviceName,
                    PciNumbers* numbers) {
  std::uint32_t vendor, device, subsystemVendor, subsystemDevice, revision,
      classCode;
  if (!ReadNumber(devicesFolder, deviceName, "vendor", kWordLimit, &vendor) ||
      !ReadNumber(devicesFolder, deviceName, "device", kWordLimit, &device) ||
      !ReadNumber(devicesFolder, deviceName, "subsystem_vendor", kWordLimit,
                  &subsystemVendor) ||
      !ReadNumber(devicesFolder, deviceName, "subsystem_device", kWordLimit,
                  &subsystemDevice) ||
      !ReadRevision(devicesFolder, deviceName, &revision) ||
      !ReadNumber(devicesFolder, deviceName, "class", kClassLimit, &classCode))
    return false;
  numbers->vendor = static_cast<std::uint16_t>(vendor);
  numbers->device = static_cast<std::uint16_t>(device);
  numbers->subsystemVendor = static_cast<std::uint16_t>(subsystemVendor);
  numbers->subsystemDevice = static_cast<std::uint16_t>(subsystemDevice);
  numbers->revision = static_cast<std::uint8_t>(revision);
  numbers->classCode = classCode;
  return true;
}

DeviceList OpenPciDeviceList(const char* devicesFolder,
                             const char* enumerator) {
  StateOwner<DeviceListState> list(MakeState<DeviceListState>());
  if (!list) return nullptr;
  if (!IsPciEnumerator(enumerator)) return list.release();
  list->folder.Reset(opendir(devicesFolder));
  if (!list->folder.get() || !ReadFolderNames(list->folder.get(), &list->names))
    return nullptr;
  list->names.Sort(
      [](const char* a, const char* b) { return std::strcmp(a, b) < 0; });
  return list.release();
}

}  // namespace pomvarin::platform::posix

namespace pomvarin::platform {

namespace {

// pomvarin-check's capture, while one stands in for the present devices.
DeviceSource* deviceSource = nullptr;

// A DeviceRecord carries the device's index in its list.
std::uint32_t RecordIndex(const DeviceRecord& device) {
  std::uint32_t index;
  std::memcpy(&index, device.bytes, sizeof index);
  return index;
}

}  // namespace

// The setup class is not looked at: the kernel's PCI folders know no
// Windows setup classes, and the launcher asks with none.
void SetDeviceSource(DeviceSource* source) { deviceSource = source; }

DeviceList OpenDeviceList(const SetupClass* setupClass,
                          const char* enumerator) {
  if (deviceSource) return deviceSource->Open(setupClass, enumerator);
  return posix::OpenPciDeviceList(posix::kPciDevicesFolder, enumerator);
}

bool EnumerateDevice(DeviceList list, std::uint32_t index,
                     DeviceRecord* device) {
  if (deviceSource) return deviceSource->Enumerate(list, index, device);
  if (!list || index >= list->names.count()) return false;
  std::memset(device->bytes, 0, sizeof device->bytes);
  std::memcpy(device->bytes, &index, sizeof index);
  return true;
}

PropertyRead ReadDeviceProperty(DeviceList list, const DeviceRecord& device,
                                std::uint32_t property, unsigned char* buffer,
                                std::uint32_t size, std::uint32_t* required) {
  if (deviceSource)
    return deviceSource->ReadProperty(list, device, property, buffer, size,
                                      required);
  const std::uint32_t index = RecordIndex(device);
  if (!list || index >= list->names.count() || property != kPropertyHardwareId)
    return PropertyRead::kFailed;
  if (!list->idsKept || list->idsIndex != index) {
    PciNumbers numbers;
    list->idsKept = false;
    if (!posix::ReadPciNumbers(dirfd(list->folder.get()),
                               list->names.Name(index), &numbers))
      return PropertyRead::kFailed;
    list->idsSize = static_cast<std::uint32_t>(
        FormatHardwareIds(numbers, list->ids));
    list->idsIndex = index;
    list->idsKept = true;
  }
  const std::uint32_t needed = list->idsSize;
  if (required) *required = needed;
  if (size < needed) return PropertyRead::kBufferTooSmall;
  if (!buffer) return PropertyRead::kFailed;
  std::memcpy(buffer, list->ids, needed);
  return PropertyRead::kDone;
}

void CloseDeviceList(DeviceList list) {
  if (deviceSource) {
    deviceSource->Close(list);
    return;
  }
  posix::ReleaseState(list);
}

}  // namespace pomvarin::platform
