// DLLs from the system folder only. A driver bundle is often unpacked into
// a download folder, where a DLL named like a system one may sit beside
// the program, and Windows looks in the program's folder first for every
// DLL that is not a KnownDLL. So the programs import only KERNEL32 and
// msvcrt, which are known wherever they run, keep every later load in the
// system folder before anything else runs, and load the rest here.
#pragma once

#include <windows.h>

namespace pomvarin::platform::win32 {

// Keeps every DLL load of the process from now on, each DLL's dependents
// included, in the system folder: SetDefaultDllDirectories where KERNEL32
// has it (Windows 8 and later, Vista and 7 with KB2533623), else
// PreloadFromSystemFolder. The first thing each program does.
void KeepLoadsInSystemFolder();

// For a KERNEL32 without SetDefaultDllDirectories: takes the current folder
// out of the search, and loads now, from the system folder, the DLLs that
// the shell, the device-setup service and the message box load later by
// name, so that those later loads find them already in the process.
void PreloadFromSystemFolder();

// One DLL of the system folder, loaded by its full path when first asked
// for and released with the object. It loads nothing before that, and may
// live in static storage: it needs no code to be made.
class SystemLibrary {
 public:
  explicit constexpr SystemLibrary(const char* fileName)
      : fileName_(fileName) {}
  ~SystemLibrary();
  SystemLibrary(const SystemLibrary&) = delete;
  SystemLibrary& operator=(const SystemLibrary&) = delete;

  // Loads the DLL unless that was tried already; false when it is not
  // loaded.
  bool Load();

  // *function = the address of the function named, loading the DLL first;
  // false, and nullptr, when the DLL cannot be loaded or lacks the
  // function.
  template <typename Function>
  bool Find(const char* name, Function* function) {
    // GetProcAddress gives every function one type; the caller's pointer
    // names the real one.
    *function = Load() ? reinterpret_cast<Function>(reinterpret_cast<void*>(
                             GetProcAddress(module_, name)))
                       : nullptr;
    return *function != nullptr;
  }

 private:
  const char* fileName_;
  HMODULE module_ = nullptr;
  bool tried_ = false;
};

}  // namespace pomvarin::platform::win32
