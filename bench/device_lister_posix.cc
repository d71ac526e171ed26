// A bare device lister, the floor for the launcher's device questions: COUNT
// times it lists the PCI devices in the kernel's folder and reads every
// device's numbers into its first hardware ID, once per device, with nothing
// in between. Prints how many devices one listing held and how many of their
// IDs held "PCI".
//
//   bench_device_lister COUNT

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const char kDevices[] = "/sys/bus/pci/devices";

// The number in one of a device's files ("0x" and hex digits), or -1.
long ReadNumber(const char* device, const char* name) {
  char path[512];
  std::snprintf(path, sizeof path, "%s/%s/%s", kDevices, device, name);
  const int fd = open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return -1;
  char text[32];
  const ssize_t got = read(fd, text, sizeof text - 1);
  close(fd);
  if (got <= 0) return -1;
  text[got] = '\0';
  return std::strtol(text, nullptr, 16);
}

// Whether the device's first hardware ID could be made and holds "PCI".
bool FirstIdHoldsPci(const char* device) {
  const long vendor = ReadNumber(device, "vendor");
  const long id = ReadNumber(device, "device");
  const long subsystemVendor = ReadNumber(device, "subsystem_vendor");
  const long subsystemDevice = ReadNumber(device, "subsystem_device");
  const long revision = ReadNumber(device, "revision");
  const long classCode = ReadNumber(device, "class");
  if (vendor < 0 || id < 0 || subsystemVendor < 0 || subsystemDevice < 0 ||
      revision < 0 || classCode < 0)
    return false;
  char hardwareId[128];  // room for any long the files could hold
  std::snprintf(hardwareId, sizeof hardwareId,
                "PCI\\VEN_%04lX&DEV_%04lX&SUBSYS_%04lX%04lX&REV_%02lX", vendor,
                id, subsystemDevice, subsystemVendor, revision);
  return std::strstr(hardwareId, "PCI") != nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  const int count = argc == 2 ? std::atoi(argv[1]) : 0;
  if (count < 1) {
    std::fprintf(stderr, "usage: bench_device_lister COUNT\n");
    return 2;
  }
  int devices = 0;
  int withPci = 0;
  for (int listing = 0; listing < count; ++listing) {
    DIR* folder = opendir(kDevices);
    if (!folder) return 1;
    devices = 0;
    withPci = 0;
    while (const dirent* entry = readdir(folder)) {
      if (entry->d_name[0] == '.') continue;
      ++devices;
      if (FirstIdHoldsPci(entry->d_name)) ++withPci;
    }
    closedir(folder);
  }
  std::printf("%d listings of %d devices, %d with PCI in their first ID\n",
              count, devices, withPci);
  return 0;
}
