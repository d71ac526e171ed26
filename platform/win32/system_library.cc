// Loads from the system folder only; see system_library.h for why. Nothing
// here may use the C runtime: KeepLoadsInSystemFolder runs before it has
// started.
#include "platform/win32/system_library.h"

namespace pomvarin::platform::win32 {

namespace {

// SetDefaultDllDirectories's flag: the system folder alone.
constexpr DWORD kSearchSystemFolder = 0x800;

using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);

// The DLLs that the shell, the device-setup service and the message box
// load by name once they run, on the systems that lack
// SetDefaultDllDirectories (XP; Vista and 7 without KB2533623). A DLL that
// a version does not have is simply not there to load. IMM32 comes first:
// USER32 loads it by name as it starts, and several of the others bring
// USER32 in.
SystemLibrary preloaded[] = {
    SystemLibrary("imm32.dll"),    SystemLibrary("apphelp.dll"),
    SystemLibrary("cfgmgr32.dll"), SystemLibrary("clbcatq.dll"),
    SystemLibrary("cryptbase.dll"), SystemLibrary("devobj.dll"),
    SystemLibrary("dwmapi.dll"),   SystemLibrary("profapi.dll"),
    SystemLibrary("propsys.dll"),  SystemLibrary("userenv.dll"),
    SystemLibrary("uxtheme.dll"),  SystemLibrary("version.dll"),
};

// path = the system folder, "\" and fileName; false when that does not fit
// in size bytes.
bool SystemPath(const char* fileName, char* path, UINT size) {
  UINT length = GetSystemDirectoryA(path, size);
  if (length == 0 || length >= size) return false;
  path[length++] = '\\';
  for (; *fileName != '\0'; ++fileName) {
    if (length + 1 >= size) return false;
    path[length++] = *fileName;
  }
  path[length] = '\0';
  return true;
}

}  // namespace

void KeepLoadsInSystemFolder() {
  // KERNEL32 is loaded in every process before its first instruction.
  const auto setDefaultDirectories =
      reinterpret_cast<SetDefaultDllDirectoriesFunction>(
          reinterpret_cast<void*>(GetProcAddress(
              GetModuleHandleA("kernel32.dll"), "SetDefaultDllDirectories")));
  if (setDefaultDirectories && setDefaultDirectories(kSearchSystemFolder))
    return;
  PreloadFromSystemFolder();
}

void PreloadFromSystemFolder() {
  SetDllDirectoryA("");
  for (SystemLibrary& library : preloaded) library.Load();
}

SystemLibrary::~SystemLibrary() {
  if (module_) FreeLibrary(module_);
}

bool SystemLibrary::Load() {
  if (!tried_) {
    tried_ = true;
    char path[MAX_PATH];
    // Its dependents are then looked for in its own folder first, the
    // system folder, not in the program's.
    if (SystemPath(fileName_, path, sizeof path))
      module_ = LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  }
  return module_ != nullptr;
}

}  // namespace pomvarin::platform::win32
