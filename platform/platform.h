// The operations Pomvarin needs from the operating system, and nothing more.
// platform/win32 implements them with the real Win32 calls (ANSI forms),
// platform/posix with a replacement layer for Linux; the unit tests link a
// fake instead. No other folder knows which operating system it runs on.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/owner.h"
#include "common/text.h"

namespace pomvarin {
namespace platform {

// ---- Trace ---------------------------------------------------------------

// Sends one trace line unchanged (the debug-output channel on Windows).
void Trace(const char* text);

// ---- Run -----------------------------------------------------------------

// The process's current directory. False when it cannot be read or does
// not fit in a Text; the directory is then left empty.
bool ReadCurrentDirectory(Text& directory);

// The value of key in section of the initialisation file at path, cut to
// 259 characters, or fallback when the file, section or key is absent.
void ReadProfileString(const char* section, const char* key,
                       const char* fallback, Text& value, const char* path);

// A modal warning box (or its stand-in); returns once it is dismissed.
void ShowWarning(const char* text, const char* caption);

// ---- Devices -------------------------------------------------------------

// A device setup class: the layout of a GUID.
struct SetupClass {
  std::uint32_t data1;
  std::uint16_t data2;
  std::uint16_t data3;
  std::uint8_t data4[8];
};

struct DeviceListState;
// A set of present devices; nullptr when the list cannot be obtained.
using DeviceList = DeviceListState*;

// One device of a list, filled in by EnumerateDevice; its bytes belong to
// the platform.
struct DeviceRecord {
  alignas(8) unsigned char bytes[32];
};

// The property code of a device's hardware IDs: a list of NUL-terminated
// strings, most specific first, ended by an empty string.
constexpr std::uint32_t kPropertyHardwareId = 1;

enum class PropertyRead {
  kDone,            // the property was copied into the buffer
  kBufferTooSmall,  // *required holds the size it needs, in bytes
  kFailed,          // no such property, or it cannot be read
};

// The present devices of the enumerator, of every setup class (the class
// does not narrow the list).
DeviceList OpenDeviceList(const SetupClass* setupClass, const char* enumerator);
// Fills device for the device at index; false after the last device.
bool EnumerateDevice(DeviceList list, std::uint32_t index, DeviceRecord* device);
PropertyRead ReadDeviceProperty(DeviceList list, const DeviceRecord& device,
                                std::uint32_t property, unsigned char* buffer,
                                std::uint32_t size, std::uint32_t* required);
void CloseDeviceList(DeviceList list);

// Zero-filled memory for a property; nullptr when it cannot be had.
unsigned char* AllocateZeroed(std::uint32_t size);
void Release(unsigned char* buffer);

// ---- Folders and programs ------------------------------------------------

constexpr std::uint32_t kAttributeHidden = 0x02;
constexpr std::uint32_t kAttributeDirectory = 0x10;
// A link: the entry may lead to a folder met elsewhere in the tree (a
// reparse point on Windows, a symbolic link on Linux).
constexpr std::uint32_t kAttributeLink = 0x400;

struct DirectoryEntry {
  Text name;
  std::uint32_t attributes;
};

struct ListingState;
// An open folder listing; nullptr when the folder cannot be listed.
using Listing = ListingState*;

// Opens the listing of pattern (a folder followed by "\*") and delivers its
// first entry.
Listing OpenListing(const char* pattern, DirectoryEntry* first);
// Delivers the next entry; false at the end of the listing or on any failure.
bool NextEntry(Listing listing, DirectoryEntry* entry);
void CloseListing(Listing listing);

// What tells two folders apart whatever path leads to them.
struct FolderIdentity {
  std::uint64_t volume;
  std::uint64_t file;
};

// False when the folder's identity cannot be read.
bool ReadFolderIdentity(const char* path, FolderIdentity* identity);

enum class ShowCommand : int { kHide = 0, kShow = 5 };

// Starts the file with its default action and the parameters text, in the
// current directory, without waiting for it. Failures are not reported.
void StartProgram(const char* path, const char* parameters, ShowCommand show);

// ---- Owners --------------------------------------------------------------
// Release what the platform handed out on every path of the caller.

using ScopedDeviceList = Owner<DeviceList, CloseDeviceList>;
using ScopedListing = Owner<Listing, CloseListing>;
using ScopedBuffer = Owner<unsigned char*, Release>;

}  // namespace platform
}  // namespace pomvarin
