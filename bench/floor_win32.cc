// The floor of a typical run on Windows: the work a run with one entry, a
// match and a start must do, done the most direct way, in code of its own.
// Started like the launcher (floor.exe /s, in the disc's folder), it sends
// the same trace and starts the same file. It handles the benchmark's
// inputs, not every disc.
//
// Its system calls, in order:
//   OutputDebugStringA          trace: the arguments
//   GetCurrentDirectoryA        once
//   GetPrivateProfileStringA    six times: VendorCount, then the entry's
//                               five values
//   OutputDebugStringA          trace: the VenID after the upper pass
//   the upper question, then (OutputDebugStringA: the VenID after the lower
//   pass) the lower question, each:
//     SetupDiGetClassDevsA      the present PCI devices, listed afresh
//     per device until one matches:
//       SetupDiEnumDeviceInfo
//       SetupDiGetDeviceRegistryPropertyA   the hardware IDs, once, into a
//                                           buffer large enough for them
//     SetupDiEnumDeviceInfo     the end of the list
//     SetupDiDestroyDeviceInfoList
//   the walk, per folder from the vendor folder down:
//     FindFirstFileA, FindNextFileA up to the file or the end, FindClose
//   OutputDebugStringA twice    trace: the path, "Slience Install"
//   ShellExecuteA               hidden, not waited for
//   OutputDebugStringA          trace: the vendor folder
// It imports SETUPAPI and SHELL32, not USER32: the warning box is no part
// of a typical run.
#include <windows.h>
#include <setupapi.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; }
char Upper(char c) { return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c; }

bool SameIgnoringCase(const char* a, const char* b) {
  for (; Lower(*a) == Lower(*b); ++a, ++b)
    if (*a == '\0') return true;
  return false;
}

bool FindDevice(const char* venId) {
  HDEVINFO list = SetupDiGetClassDevsA(nullptr, "PCI", nullptr,
                                       DIGCF_PRESENT | DIGCF_ALLCLASSES);
  if (list == INVALID_HANDLE_VALUE) {
    OutputDebugStringA("Device information is unavailable");
    return false;
  }
  bool found = false;
  SP_DEVINFO_DATA device;
  device.cbSize = sizeof device;
  for (DWORD index = 0; !found && SetupDiEnumDeviceInfo(list, index, &device);
       ++index) {
    BYTE ids[1024] = {};
    found = SetupDiGetDeviceRegistryPropertyA(list, &device, SPDRP_HARDWAREID,
                                              nullptr, ids, sizeof ids - 2,
                                              nullptr) &&
            std::strstr(reinterpret_cast<const char*>(ids), venId) &&
            std::strstr(reinterpret_cast<const char*>(ids), "PCI");
  }
  SetupDiDestroyDeviceInfoList(list);
  return found;
}

// Depth first in the listing order, the listing's first entry skipped; a
// start ends its own folder's search.
void Walk(const char* folder, const char* file, const char* parameters) {
  char pattern[MAX_PATH + 2];
  std::snprintf(pattern, sizeof pattern, "%s\\*", folder);
  WIN32_FIND_DATAA entry;
  HANDLE listing = FindFirstFileA(pattern, &entry);
  if (listing == INVALID_HANDLE_VALUE) return;
  while (FindNextFileA(listing, &entry)) {
    const char* name = entry.cFileName;
    if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
    char path[MAX_PATH];
    if (std::snprintf(path, sizeof path, "%s\\%s", folder, name) >= MAX_PATH)
      continue;
    if (entry.dwFileAttributes &
        (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN)) {
      Walk(path, file, parameters);
    } else if (SameIgnoringCase(name, file)) {
      OutputDebugStringA(path);
      OutputDebugStringA("Slience Install");
      ShellExecuteA(nullptr, nullptr, path, parameters, nullptr, SW_HIDE);
      break;
    }
  }
  FindClose(listing);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR arguments, int) {
  OutputDebugStringA(arguments);
  const bool silent = std::strstr(arguments, "/s") || std::strstr(arguments, "/S");
  char folder[MAX_PATH];
  if (GetCurrentDirectoryA(sizeof folder, folder) == 0) return 0;
  char path[MAX_PATH + 16];
  std::snprintf(path, sizeof path, "%s\\Pomvarin.ini", folder);
  char count[260], name[260], venId[260], root[260], normal[260], quiet[260];
  GetPrivateProfileStringA("PomvarinInfo", "VendorCount", "Unknow", count,
                           sizeof count, path);
  for (int n = 1; n <= std::atoi(count); ++n) {
    char section[32];
    std::snprintf(section, sizeof section, "VendorInfo%d", n);
    GetPrivateProfileStringA(section, "VenName", "Unknow", name, sizeof name, path);
    GetPrivateProfileStringA(section, "VenID", "Unknow", venId, sizeof venId, path);
    GetPrivateProfileStringA(section, "SetupFileRootDir", "Unknow", root,
                             sizeof root, path);
    GetPrivateProfileStringA(section, "SetupFileName", "Unknow", normal,
                             sizeof normal, path);
    GetPrivateProfileStringA(section, "SilentInstall", "Unknow", quiet,
                             sizeof quiet, path);
    for (char* c = venId; *c; ++c) *c = Upper(*c);
    OutputDebugStringA(venId);
    const bool upperHit = FindDevice(venId);
    for (char* c = venId + (venId[0] ? 1 : 0); *c; ++c) *c = Lower(*c);
    OutputDebugStringA(venId);
    const bool lowerHit = FindDevice(venId);
    if (!upperHit && !lowerHit) continue;
    char rootPath[2 * MAX_PATH];
    std::snprintf(rootPath, sizeof rootPath, "%s%s", folder, root);
    char* spec = silent ? quiet : normal;
    char* blank = std::strchr(spec, ' ');
    char file[260];
    std::snprintf(file, sizeof file, "%.*s",
                  static_cast<int>(blank ? blank - spec : std::strlen(spec)), spec);
    Walk(rootPath, file, blank ? blank : "");
    OutputDebugStringA(rootPath);
  }
  return 0;
}
