// What pomvarin-check needs of the system beyond the launcher's own
// operations: a look at the whole configuration file, and a way into the
// folder it checks. platform/win32 and platform/posix implement it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace pomvarin::platform {

// One section of an initialisation file and the names of its keys, as the
// profile reader sees them.
struct ProfileSection {
  std::string name;
  // In file order. Empty for a repeated section name: the reader only ever
  // looks into the first section of a name.
  std::vector<std::string> keys;
};

// Whether path names a file that the profile reader can read: it exists, is
// readable and is no folder.
bool CanReadProfile(const char* path);

// The sections of the initialisation file at path in file order, repeats
// included. Comments and lines without "=" hold no key.
std::vector<ProfileSection> ListProfileSections(const char* path);

// Devices that stand in for the present ones: pomvarin-check's captures of
// another machine's devices.
class DeviceSource {
 public:
  virtual DeviceList Open(const SetupClass* setupClass,
                          const char* enumerator) = 0;
  virtual bool Enumerate(DeviceList list, std::uint32_t index,
                         DeviceRecord* device) = 0;
  virtual PropertyRead ReadProperty(DeviceList list, const DeviceRecord& device,
                                    std::uint32_t property,
                                    unsigned char* buffer, std::uint32_t size,
                                    std::uint32_t* required) = 0;
  virtual void Close(DeviceList list) = 0;

 protected:
  ~DeviceSource() = default;
};

// While a source is set, OpenDeviceList, EnumerateDevice,
// ReadDeviceProperty and CloseDeviceList ask it instead of the system, so
// the launcher's own device question runs on its devices. nullptr gives the
// system's devices back.
void SetDeviceSource(DeviceSource* source);

// Makes path the process's current directory; false when it cannot be.
bool ChangeDirectory(const char* path);

}  // namespace pomvarin::platform
