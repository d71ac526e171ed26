// The numbers of a PCI device as the kernel writes them into the files of
// its device folder, read from their text.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/pci_hardware_ids.h"

namespace pomvarin::platform::posix {

// The largest value of each kind of number: vendor, device and subsystem
// numbers are 16 bits, the revision 8, the class code 24.
constexpr std::uint32_t kWordLimit = 0xFFFF;
constexpr std::uint32_t kByteLimit = 0xFF;
constexpr std::uint32_t kClassLimit = 0xFFFFFF;

// Reads one number file of a device folder as the kernel writes it: "0x",
// hex digits, one optional final newline. False for anything else or for a
// value above limit.
bool ParseDeviceNumber(const char* text, std::size_t length,
                       std::uint32_t limit, std::uint32_t* value);

// Reads the numbers the kernel writes into a PCI device's "uevent" file:
// "PCI_CLASS=", "PCI_ID=" and "PCI_SUBSYS_ID=" lines in hex, among lines of
// other keys, the first line of each key counting. Sets all numbers but the
// revision, which the file does not give; false when one of the three lines
// is missing or malformed.
bool ParseDeviceEvent(const char* text, std::size_t length,
                      PciNumbers* numbers);

// Stores the numbers but the revision, each already read within its limit.
void StorePciNumbers(std::uint32_t vendor, std::uint32_t device,
                     std::uint32_t subsystemVendor,
                     std::uint32_t subsystemDevice, std::uint32_t classCode,
                     PciNumbers* numbers);

}  // namespace pomvarin::platform::posix
