// A program that does nothing but loads the system DLLs Pomvarin.exe
// imports (SETUPAPI, SHELL32, USER32): under Wine their loading is part of
// every start, and this program shows how much of a typical run it is.
#include <windows.h>
#include <setupapi.h>
#include <shellapi.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR arguments, int) {
  // Never true when started as the benchmarks start it; the calls only make
  // the imports.
  if (arguments && arguments[0] == '\x01') {
    SetupDiDestroyDeviceInfoList(
        SetupDiGetClassDevsA(nullptr, arguments, nullptr, DIGCF_PRESENT));
    ShellExecuteA(nullptr, nullptr, arguments, nullptr, nullptr, SW_SHOW);
    MessageBoxA(nullptr, arguments, arguments, MB_OK);
  }
  return 0;
}
