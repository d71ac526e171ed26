#include "devices/pci_hardware_ids.h"

#include <cstdarg>
#include <cstdio>

namespace pomvarin {

namespace {

// Appends one formatted ID and its terminator at used; returns the new used.
__attribute__((format(printf, 3, 4))) std::size_t AppendId(
    char (&ids)[kHardwareIdsSize], std::size_t used, const char* format, ...) {
  std::va_list arguments;
  va_start(arguments, format);
  const int length =
      std::vsnprintf(ids + used, kHardwareIdsSize - used, format, arguments);
  va_end(arguments);
  return used + static_cast<std::size_t>(length) + 1;
}

}  // namespace

std::size_t FormatHardwareIds(const PciNumbers& numbers,
                              char (&ids)[kHardwareIdsSize]) {
  const std::uint32_t subsystem =
      static_cast<std::uint32_t>(numbers.subsystemDevice) << 16 |
      numbers.subsystemVendor;
  // Every number has a fixed width, so the four IDs always fit in ids.
  std::size_t used = 0;
  used = AppendId(ids, used, "PCI\\VEN_%04X&DEV_%04X&SUBSYS_%08X&REV_%02X",
                  numbers.vendor, numbers.device, subsystem, numbers.revision);
  used = AppendId(ids, used, "PCI\\VEN_%04X&DEV_%04X&SUBSYS_%08X",
                  numbers.vendor, numbers.device, subsystem);
  used = AppendId(ids, used, "PCI\\VEN_%04X&DEV_%04X&CC_%06X", numbers.vendor,
                  numbers.device, numbers.classCode);
  used = AppendId(ids, used, "PCI\\VEN_%04X&DEV_%04X&CC_%04X", numbers.vendor,
                  numbers.device, numbers.classCode >> 8);
  ids[used++] = '\0';
  return used;
}

}  // namespace pomvarin
