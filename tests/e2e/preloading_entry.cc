// The entry point of a twin of Pomvarin.exe that keeps its DLL loads in the
// system folder the way it does where KERNEL32 lacks SetDefaultDllDirectories
// (XP; Vista and 7 without KB2533623). Wine has that function in every
// version mode, so only this twin lets the planted-DLL test take the other
// way of the guard. Everything else is the launcher's own code.
#include "platform/win32/system_library.h"

extern "C" {

int WinMainCRTStartup();

int PreloadingWindowsStartup() {
  pomvarin::platform::win32::PreloadFromSystemFolder();
  return WinMainCRTStartup();
}

}  // extern "C"
