// Present PCI devices from the kernel's device folders, and their hardware
// IDs in the Windows form.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/platform.h"

namespace pomvarin::platform::posix {

// Where the kernel lists the PCI devices, one folder per device.
constexpr char kPciDevicesFolder[] = "/sys/bus/pci/devices";

// The numbers that make up a PCI device's hardware IDs.
struct PciNumbers {
  std::uint16_t vendor;
  std::uint16_t device;
  std::uint16_t subsystemVendor;
  std::uint16_t subsystemDevice;
  std::uint8_t revision;
  std::uint32_t classCode;  // base class, subclass, programming interface
};

// Room for the four hardware IDs with their terminators.
constexpr std::size_t kHardwareIdsSize = 160;

// Reads one number file of a device folder as the kernel writes it: "0x",
// hex digits, one optional final newline. False for anything else or for a
// value above limit.
bool ParseDeviceNumber(const char* text, std::size_t length,
                       std::uint32_t limit, std::uint32_t* value);

// Reads the numbers from deviceFolder (OS form). A folder without a
// "revision" file gives the revision as byte 8 of its "config" file. False
// when a number is missing or malformed.
bool ReadPciNumbers(const char* deviceFolder, PciNumbers* numbers);

// Writes the hardware IDs, most specific first, each NUL-terminated and the
// list ended by one more NUL; returns the bytes written, terminators
// included.
std::size_t FormatHardwareIds(const PciNumbers& numbers,
                              char (&ids)[kHardwareIdsSize]);

// The device list of devicesFolder (laid out like kPciDevicesFolder): every
// entry is a present device, in byte order of the names, for the enumerator
// "PCI" (any case) or none; another enumerator gets an empty list. nullptr
// when the folder cannot be read.
DeviceList OpenPciDeviceList(const char* devicesFolder, const char* enumerator);

}  // namespace pomvarin::platform::posix
