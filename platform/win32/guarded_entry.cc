// The Windows programs' entry points. Before the C runtime starts, and so
// before anything of the program runs, every later DLL load is kept in the
// system folder; then the runtime's own start-up takes over and calls
// WinMain or main as usual. Each program names its entry to the linker
// (pomvarin_guard_dll_loads in CMakeLists.txt).
#include "platform/win32/system_library.h"

extern "C" {

// The MinGW-w64 runtime's start-ups of a GUI and of a console program.
int WinMainCRTStartup();
int mainCRTStartup();

int GuardedWindowsStartup() {
  pomvarin::platform::win32::KeepLoadsInSystemFolder();
  return WinMainCRTStartup();
}

int GuardedConsoleStartup() {
  pomvarin::platform::win32::KeepLoadsInSystemFolder();
  return mainCRTStartup();
}

}  // extern "C"
