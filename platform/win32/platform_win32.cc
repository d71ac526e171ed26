// The platform operations over the real Win32 calls, ANSI forms. The files of
// platform/win32 are the only ones that include the Windows headers.
#include "platform/platform.h"
#include "platform/system_devices.h"
#include "platform/system_listings.h"
#include "platform/system_profile.h"
#include "platform/win32/system_library.h"

#include <windows.h>
#include <setupapi.h>
#include <shellapi.h>

#include <cstring>

namespace pomvarin {
namespace platform {

namespace {

static_assert(sizeof(SP_DEVINFO_DATA) <= sizeof(DeviceRecord),
              "a device record must hold the platform's record");
static_assert(alignof(SP_DEVINFO_DATA) <= alignof(DeviceRecord),
              "a device record must be aligned like the platform's record");
static_assert(sizeof(SetupClass) == sizeof(GUID),
              "a setup class must have the layout of a GUID");
static_assert(static_cast<int>(ShowCommand::kHide) == SW_HIDE &&
                  static_cast<int>(ShowCommand::kShow) == SW_SHOW,
              "show commands are the platform's");
static_assert(kAttributeHidden == FILE_ATTRIBUTE_HIDDEN &&
                  kAttributeDirectory == FILE_ATTRIBUTE_DIRECTORY &&
                  kAttributeLink == FILE_ATTRIBUTE_REPARSE_POINT,
              "attribute bits are the platform's");

HDEVINFO ToHandle(DeviceList list) { return reinterpret_cast<HDEVINFO>(list); }
HANDLE ToHandle(Listing listing) { return reinterpret_cast<HANDLE>(listing); }

SP_DEVINFO_DATA* ToDeviceInfo(DeviceRecord* device) {
  return reinterpret_cast<SP_DEVINFO_DATA*>(device->bytes);
}

void CopyEntry(const WIN32_FIND_DATAA& data, DirectoryEntry* entry) {
  static_assert(sizeof data.cFileName == sizeof entry->name,
                "a listed name fits in a Text");
  std::memcpy(entry->name, data.cFileName, sizeof entry->name);
  entry->name[kTextSize - 1] = '\0';
  entry->attributes = data.dwFileAttributes;
}

// A file handle closed on every path; nullptr when the file could not be
// opened.
using ScopedFile = Owner<HANDLE, CloseHandle>;

// Loaded from the system folder when first needed (system_library.h), and
// kept until the program ends. USER32 is a KnownDLL on Windows, but Wine
// looks for it and for what it imports (VERSION, IMM32) beside the program
// like for any other DLL: it comes after the guard too.
win32::SystemLibrary userLibrary("user32.dll");
win32::SystemLibrary setupApiLibrary("setupapi.dll");
win32::SystemLibrary shellLibrary("shell32.dll");
// The box and the shell load OLE32 as they work, and under Wine through a
// delay-load that does not keep to the default folders: it is loaded from
// the system folder before either of them.
win32::SystemLibrary oleLibrary("ole32.dll");

// The device-setup service's functions, all four or none.
struct DeviceSetupService {
  decltype(&SetupDiGetClassDevsA) getClassDevs;
  decltype(&SetupDiEnumDeviceInfo) enumDeviceInfo;
  decltype(&SetupDiGetDeviceRegistryPropertyA) getDeviceRegistryProperty;
  decltype(&SetupDiDestroyDeviceInfoList) destroyDeviceInfoList;
};

DeviceSetupService deviceSetup;
bool deviceSetupTried = false;
bool deviceSetupComplete = false;

// nullptr when SETUPAPI cannot be loaded or lacks one of the functions: then
// no device list can be obtained.
const DeviceSetupService* DeviceSetup() {
  if (!deviceSetupTried) {
    deviceSetupTried = true;
    deviceSetupComplete =
        setupApiLibrary.Find("SetupDiGetClassDevsA",
                             &deviceSetup.getClassDevs) &&
        setupApiLibrary.Find("SetupDiEnumDeviceInfo",
                             &deviceSetup.enumDeviceInfo) &&
        setupApiLibrary.Find("SetupDiGetDeviceRegistryPropertyA",
                             &deviceSetup.getDeviceRegistryProperty) &&
        setupApiLibrary.Find("SetupDiDestroyDeviceInfoList",
                             &deviceSetup.destroyDeviceInfoList);
  }
  return deviceSetupComplete ? &deviceSetup : nullptr;
}

}  // namespace

void Trace(const char* text) { OutputDebugStringA(text); }

bool ReadSystemCurrentDirectory(Text& directory) {
  // The answer is the length without the terminator when it fits, else the
  // size it would need (or 0 on failure).
  DWORD length = GetCurrentDirectoryA(kTextSize, directory);
  if (length == 0 || length >= kTextSize) {
    directory[0] = '\0';
    return false;
  }
  return true;
}

void ReadSystemProfileString(const char* section, const char* key,
                             const char* fallback, Text& value,
                             const char* path) {
  GetPrivateProfileStringA(section, key, fallback, value, kTextSize, path);
}

void ShowWarning(const char* text, const char* caption) {
  oleLibrary.Load();
  decltype(&MessageBoxA) messageBox;
  if (userLibrary.Find("MessageBoxA", &messageBox))
    messageBox(nullptr, text, caption, MB_OK | MB_ICONWARNING);
}

DeviceList OpenSystemDeviceList(const SetupClass* setupClass,
                                const char* enumerator) {
  const DeviceSetupService* service = DeviceSetup();
  if (!service) return nullptr;
  HDEVINFO list = service->getClassDevs(
      reinterpret_cast<const GUID*>(setupClass), enumerator, nullptr,
      DIGCF_PRESENT | DIGCF_ALLCLASSES);
  if (list == INVALID_HANDLE_VALUE) return nullptr;
  return reinterpret_cast<DeviceList>(list);
}

bool EnumerateSystemDevice(DeviceList list, std::uint32_t index,
                           DeviceRecord* device) {
  SP_DEVINFO_DATA* info = ToDeviceInfo(device);
  info->cbSize = sizeof(SP_DEVINFO_DATA);
  // A list exists only when the service was loaded.
  return DeviceSetup()->enumDeviceInfo(ToHandle(list), index, info) != FALSE;
}

PropertyRead ReadSystemDeviceProperty(DeviceList list,
                                      const DeviceRecord& device,
                                      std::uint32_t property,
                                      unsigned char* buffer,
                                      std::uint32_t size,
                                      std::uint32_t* required) {
  DeviceRecord copy = device;
  DWORD needed = 0;
  if (DeviceSetup()->getDeviceRegistryProperty(ToHandle(list),
                                               ToDeviceInfo(&copy), property,
                                               nullptr, buffer, size,
                                               &needed)) {
    *required = needed;
    return PropertyRead::kDone;
  }
  if (GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
    *required = needed;
    return PropertyRead::kBufferTooSmall;
  }
  return PropertyRead::kFailed;
}

void CloseSystemDeviceList(DeviceList list) {
  DeviceSetup()->destroyDeviceInfoList(ToHandle(list));
}

unsigned char* AllocateZeroed(std::uint32_t size) {
  return static_cast<unsigned char*>(LocalAlloc(LPTR, size));
}

void Release(unsigned char* buffer) { LocalFree(buffer); }

Listing OpenSystemListing(const char* pattern, DirectoryEntry* first) {
  WIN32_FIND_DATAA data;
  HANDLE listing = FindFirstFileA(pattern, &data);
  if (listing == INVALID_HANDLE_VALUE) return nullptr;
  CopyEntry(data, first);
  return reinterpret_cast<Listing>(listing);
}

bool NextSystemEntry(Listing listing, DirectoryEntry* entry) {
  WIN32_FIND_DATAA data;
  if (!FindNextFileA(ToHandle(listing), &data)) return false;
  CopyEntry(data, entry);
  return true;
}

void CloseSystemListing(Listing listing) { FindClose(ToHandle(listing)); }

bool ReadSystemFolderIdentity(const char* path,
                              FolderIdentity* identity) {
  // No access rights are asked for: only the file's information is read.
  // Backup semantics let a folder be opened at all.
  const HANDLE opened = CreateFileA(
      path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (opened == INVALID_HANDLE_VALUE) return false;
  const ScopedFile folder(opened);
  BY_HANDLE_FILE_INFORMATION information;
  if (!GetFileInformationByHandle(folder.get(), &information)) return false;
  identity->volume = information.dwVolumeSerialNumber;
  identity->file =
      (static_cast<std::uint64_t>(information.nFileIndexHigh) << 32) |
      information.nFileIndexLow;
  return true;
}

void StartProgram(const char* path, const char* parameters, ShowCommand show) {
  // Without the shell nothing starts, as when it cannot start the file.
  oleLibrary.Load();
  decltype(&ShellExecuteA) shellExecute;
  if (shellLibrary.Find("ShellExecuteA", &shellExecute))
    shellExecute(nullptr, nullptr, path, parameters, nullptr,
                 static_cast<int>(show));
}

}  // namespace platform
}  // namespace pomvarin
