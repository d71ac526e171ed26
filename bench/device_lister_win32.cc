// A bare device lister, the floor for the launcher's device questions: COUNT
// times it lists the present PCI devices through SetupAPI and reads every
// device's hardware IDs once, into a buffer large enough for them, with
// nothing in between. Writes how many devices one listing held and how many
// of their first IDs held "PCI" to standard output.
//
//   device_lister.exe COUNT

#include <windows.h>
#include <setupapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR arguments, int) {
  const int count = std::atoi(arguments);
  if (count < 1) return 2;
  int devices = 0;
  int withPci = 0;
  for (int listing = 0; listing < count; ++listing) {
    HDEVINFO list = SetupDiGetClassDevsA(nullptr, "PCI", nullptr,
                                         DIGCF_PRESENT | DIGCF_ALLCLASSES);
    if (list == INVALID_HANDLE_VALUE) return 1;
    devices = 0;
    withPci = 0;
    SP_DEVINFO_DATA device;
    device.cbSize = sizeof device;
    for (DWORD index = 0; SetupDiEnumDeviceInfo(list, index, &device); ++index) {
      ++devices;
      BYTE ids[1024] = {};
      if (SetupDiGetDeviceRegistryPropertyA(list, &device, SPDRP_HARDWAREID,
                                            nullptr, ids, sizeof ids - 2,
                                            nullptr) &&
          std::strstr(reinterpret_cast<const char*>(ids), "PCI"))
        ++withPci;
    }
    SetupDiDestroyDeviceInfoList(list);
  }
  char report[128];
  const int length = std::snprintf(
      report, sizeof report,
      "%d listings of %d devices, %d with PCI in their first ID\n", count,
      devices, withPci);
  DWORD written;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), report, length, &written, nullptr);
  return 0;
}
