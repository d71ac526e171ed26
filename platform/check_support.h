// What pomvarin-check needs of the system beyond the launcher's own
// operations: a look at the whole configuration file, a way into the folder
// it checks, and a run of the real launcher with its trace.
// platform/win32 and platform/posix implement it.
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

// The bytes of the regular file at path (a path as the launcher joins
// them); false when it cannot be read whole.
bool ReadFileBytes(const char* path, std::string* bytes);

// Whether the system's own help switch "/?" is understood (Windows).
bool HasSlashHelpSwitch();

// ---- The launcher run with its trace -------------------------------------

// Receives the trace lines of a run, in the order they are sent.
class TraceReceiver {
 public:
  // One trace text, its bytes as sent, without a line end.
  virtual void Receive(const std::string& text) = 0;

 protected:
  ~TraceReceiver() = default;
};

// The launcher's program beside this program's own file (Pomvarin.exe next
// to PomvarinCheck.exe, pomvarin next to pomvarin-check). False, with the
// path it looked for, when there is no such file.
bool FindLauncherBesideSelf(std::string* path);

struct TracedRun {
  std::string program;
  std::string folder;                   // the run's current directory
  std::vector<std::string> arguments;   // after the program's own name
};

// Starts the program as a debugger does and hands every trace line to
// receiver as it comes; returns once the program has ended, with its exit
// status (128 + the signal's number for a Linux program ended by a
// signal). Programs it starts run on. False, with the reason, when it
// cannot be started.
bool RunWithTrace(const TracedRun& run, TraceReceiver& receiver,
                  std::uint32_t* exitStatus, std::string* error);

}  // namespace pomvarin::platform
