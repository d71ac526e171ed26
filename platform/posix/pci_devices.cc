// The kernel's PCI device folders as the system's device list: the files
// each device is read from, and the list the launcher walks.
#include "platform/posix/pci_devices.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <new>
#include <unistd.h>

#include "platform/indexed_record.h"
#include "platform/system_devices.h"
#include "platform/posix/folder_names.h"
#include "platform/posix/pci_number_text.h"
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
// Where the revision sits in a device's configuration space.
constexpr off_t kConfigRevisionOffset = 8;
// Longer than any well-formed number file ("0x" + 6 digits + newline).
constexpr std::size_t kNumberFileSize = 32;
// Several times what the kernel writes into a PCI device's uevent file.
constexpr std::size_t kEventFileSize = 1024;

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
// its files. The path is joined by hand: this runs for every file of
// every device, where printf's machinery would cost more than the rest.
int OpenDeviceFile(int devicesFolder, const char* device, const char* name) {
  PosixPath path;
  const std::size_t deviceLength = std::strlen(device);
  const std::size_t nameLength = std::strlen(name);
  if (deviceLength + 1 + nameLength >= sizeof path) {
    errno = ENAMETOOLONG;
    return -1;
  }
  std::memcpy(path, device, deviceLength);
  path[deviceLength] = '/';
  std::memcpy(path + deviceLength + 1, name, nameLength + 1);
  return openat(devicesFolder, path, O_RDONLY | O_CLOEXEC);
}

// One read: the kernel hands a device's file over whole, and a plain file
// delivers all it holds up to the size asked for, so a read that fills the
// buffer means a file longer than the kernel ever writes: -1, as for a
// failed read.
ssize_t ReadOnce(int fd, char* text, std::size_t size) {
  ssize_t got;
  do {
    got = read(fd, text, size);
  } while (got < 0 && errno == EINTR);
  return static_cast<std::size_t>(got) == size ? -1 : got;
}

// A number file's number, read from the open file.
bool ReadOpenNumber(int fd, std::uint32_t limit, std::uint32_t* value) {
  char text[kNumberFileSize];
  const ssize_t got = ReadOnce(fd, text, sizeof text);
  return got >= 0 &&
         ParseDeviceNumber(text, static_cast<std::size_t>(got), limit, value);
}

bool ReadNumber(int devicesFolder, const char* device, const char* name,
                std::uint32_t limit, std::uint32_t* value) {
  FileDescriptor file(OpenDeviceFile(devicesFolder, device, name));
  return file.get() >= 0 && ReadOpenNumber(file.get(), limit, value);
}

bool ReadRevision(int devicesFolder, const char* device,
                  std::uint32_t* revision) {
  FileDescriptor file(OpenDeviceFile(devicesFolder, device, "revision"));
  if (file.get() >= 0) return ReadOpenNumber(file.get(), kByteLimit, revision);
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

// Vendor, device, subsystem and class from the uevent file, one read.
bool ReadEventNumbers(int devicesFolder, const char* device,
                      PciNumbers* numbers) {
  FileDescriptor file(OpenDeviceFile(devicesFolder, device, "uevent"));
  if (file.get() < 0) return false;
  char text[kEventFileSize];
  const ssize_t got = ReadOnce(file.get(), text, sizeof text);
  return got >= 0 &&
         ParseDeviceEvent(text, static_cast<std::size_t>(got), numbers);
}

// The same numbers from their five files, one number each.
bool ReadNumberFiles(int devicesFolder, const char* deviceName,
                     PciNumbers* numbers) {
  std::uint32_t vendor, device, subsystemVendor, subsystemDevice, classCode;
  if (!ReadNumber(devicesFolder, deviceName, "vendor", kWordLimit, &vendor) ||
      !ReadNumber(devicesFolder, deviceName, "device", kWordLimit, &device) ||
      !ReadNumber(devicesFolder, deviceName, "subsystem_vendor", kWordLimit,
                  &subsystemVendor) ||
      !ReadNumber(devicesFolder, deviceName, "subsystem_device", kWordLimit,
                  &subsystemDevice) ||
      !ReadNumber(devicesFolder, deviceName, "class", kClassLimit, &classCode))
    return false;
  StorePciNumbers(vendor, device, subsystemVendor, subsystemDevice, classCode,
                  numbers);
  return true;
}

}  // namespace

bool ReadPciNumbers(int devicesFolder, const char* deviceName,
                    PciNumbers* numbers) {
  std::uint32_t revision;
  if ((!ReadEventNumbers(devicesFolder, deviceName, numbers) &&
       !ReadNumberFiles(devicesFolder, deviceName, numbers)) ||
      !ReadRevision(devicesFolder, deviceName, &revision))
    return false;
  numbers->revision = static_cast<std::uint8_t>(revision);
  return true;
}

DeviceList OpenPciDeviceList(const char* devicesFolder,
                             const char* enumerator) {
  StateOwner<DeviceListState> list(MakeState<DeviceListState>());
  if (!list) return nullptr;
  if (!IsPciEnumerator(enumerator)) return list.release();
  list->folder.reset(opendir(devicesFolder));
  if (!list->folder.get() || !ReadFolderNames(list->folder.get(), &list->names))
    return nullptr;
  list->names.Sort(
      [](const char* a, const char* b) { return std::strcmp(a, b) < 0; });
  return list.release();
}

}  // namespace pomvarin::platform::posix

namespace pomvarin::platform {

// The setup class is not looked at: the kernel's PCI folders know no
// Windows setup classes, and the launcher asks with none.
DeviceList OpenSystemDeviceList(const SetupClass*, const char* enumerator) {
  return posix::OpenPciDeviceList(posix::kPciDevicesFolder, enumerator);
}

bool EnumerateSystemDevice(DeviceList list, std::uint32_t index,
                           DeviceRecord* device) {
  if (!list || index >= list->names.count()) return false;
  StoreRecordIndex(index, device);
  return true;
}

PropertyRead ReadSystemDeviceProperty(DeviceList list,
                                      const DeviceRecord& device,
                                      std::uint32_t property,
                                      unsigned char* buffer,
                                      std::uint32_t size,
                                      std::uint32_t* required) {
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

void CloseSystemDeviceList(DeviceList list) { posix::ReleaseState(list); }

}  // namespace pomvarin::platform
