// The hardware IDs of a PCI device in the Windows form, made from its
// numbers: for systems and captures that give the numbers, not the IDs.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pomvarin {

// The numbers that make up a PCI device's hardware IDs.
struct PciNumbers {
  std::uint16_t vendor;
  std::uint16_t device;
  std::uint16_t subsystemVendor;
  std::uint16_t subsystemDevice;
  std::uint8_t revision;
  // 24 bits: base class, subclass, programming interface.
  std::uint32_t classCode;
};

// Room for the four hardware IDs with their terminators.
constexpr std::size_t kHardwareIdsSize = 160;

// Writes the hardware IDs, most specific first, each NUL-terminated and the
// list ended by one more NUL; returns the bytes written, terminators
// included.
std::size_t FormatHardwareIds(const PciNumbers& numbers,
                              char (&ids)[kHardwareIdsSize]);

}  // namespace pomvarin
