#include "common/pci_hardware_ids.h"

#include <cstring>

namespace pomvarin {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

// Written digit by digit rather than through printf, whose machinery costs
// more per device than reading the device's numbers does.
char* AppendHex(char* at, std::uint32_t value, int digits) {
  for (int i = digits - 1; i >= 0; --i) {
    at[i] = kHexDigits[value & 0xF];
    value >>= 4;
  }
  return at + digits;
}

// Appends a text of known length; the compiler turns it into a few moves.
template <std::size_t kSize>
char* AppendText(char* at, const char (&text)[kSize]) {
  std::memcpy(at, text, kSize - 1);
  return at + kSize - 1;
}

// "PCI\VEN_vvvv&DEV_dddd", unterminated.
constexpr std::size_t kPrefixLength = 21;

char* AppendPrefix(char* at, const char (&prefix)[kPrefixLength]) {
  std::memcpy(at, prefix, kPrefixLength);
  return at + kPrefixLength;
}

}  // namespace

std::size_t FormatHardwareIds(const PciNumbers& numbers,
                              char (&ids)[kHardwareIdsSize]) {
  const std::uint32_t subsystem =
      static_cast<std::uint32_t>(numbers.subsystemDevice) << 16 |
      numbers.subsystemVendor;
  // Every part has a fixed width: the four IDs take 146 of the 160 bytes.
  // All four start with "PCI\VEN_vvvv&DEV_dddd", written once and copied.
  char prefix[kPrefixLength];
  AppendHex(AppendText(AppendHex(AppendText(prefix, "PCI\\VEN_"),
                                 numbers.vendor, 4),
                       "&DEV_"),
            numbers.device, 4);
  char* at = ids;
  at = AppendPrefix(at, prefix);
  at = AppendHex(AppendText(at, "&SUBSYS_"), subsystem, 8);
  at = AppendHex(AppendText(at, "&REV_"), numbers.revision, 2);
  *at++ = '\0';
  at = AppendPrefix(at, prefix);
  at = AppendHex(AppendText(at, "&SUBSYS_"), subsystem, 8);
  *at++ = '\0';
  at = AppendPrefix(at, prefix);
  at = AppendHex(AppendText(at, "&CC_"), numbers.classCode, 6);
  *at++ = '\0';
  at = AppendPrefix(at, prefix);
  at = AppendHex(AppendText(at, "&CC_"), numbers.classCode >> 8, 4);
  *at++ = '\0';
  *at++ = '\0';
  return static_cast<std::size_t>(at - ids);
}

}  // namespace pomvarin
