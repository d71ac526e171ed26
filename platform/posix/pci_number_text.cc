// The kernel's number texts apart from its files, so that the fuzzers and the
// table tests can hand them any bytes.
#include "platform/posix/pci_number_text.h"

#include <cstring>

namespace pomvarin::platform::posix {

namespace {

// The value of a hex digit in either case, or 16 for any other byte. Two
// range checks: this runs for every digit of every device's numbers.
unsigned HexDigitValue(char c) {
  const unsigned byte = static_cast<unsigned char>(c);
  const unsigned decimal = byte - '0';
  if (decimal <= 9) return decimal;
  const unsigned letter = (byte | 0x20) - 'a';
  return letter <= 5 ? letter + 10 : 16;
}

// One or more hex digits and nothing else, the number at most limit.
bool ParseHexDigits(const char* text, std::size_t length, std::uint32_t limit,
                    std::uint32_t* value) {
  if (length == 0) return false;
  // Checked at every digit, so the number never passes limit * 16 + 15,
  // which needs more than 32 bits for the largest limits.
  std::uint64_t number = 0;
  for (std::size_t i = 0; i < length; ++i) {
    const unsigned digit = HexDigitValue(text[i]);
    if (digit > 15) return false;
    number = number * 16 + static_cast<std::uint64_t>(digit);
    if (number > limit) return false;
  }
  *value = static_cast<std::uint32_t>(number);
  return true;
}

// Two 16-bit numbers as "XXXX:YYYY".
bool ParseHexPair(const char* text, std::size_t length, std::uint32_t* first,
                  std::uint32_t* second) {
  if (length == 0) return false;
  const char* colon = static_cast<const char*>(std::memchr(text, ':', length));
  if (!colon) return false;
  const std::size_t firstLength = static_cast<std::size_t>(colon - text);
  return ParseHexDigits(text, firstLength, kWordLimit, first) &&
         ParseHexDigits(colon + 1, length - firstLength - 1, kWordLimit,
                        second);
}

// A value in a uevent file: the rest of its line after the key's "=".
struct EventValue {
  const char* text = nullptr;
  std::size_t length = 0;
};

// Takes the line as key's value unless an earlier line of that key did.
template <std::size_t kSize>
void TakeEventValue(const char* line, std::size_t length,
                    const char (&key)[kSize], EventValue* value) {
  constexpr std::size_t keyLength = kSize - 1;
  if (value->text || length < keyLength ||
      std::memcmp(line, key, keyLength) != 0)
    return;
  value->text = line + keyLength;
  value->length = length - keyLength;
}

// The three values the numbers need, in one pass over the lines.
void FindEventValues(const char* text, std::size_t length,
                     EventValue* classCode, EventValue* id,
                     EventValue* subsystem) {
  for (std::size_t at = 0; at < length;) {
    const char* newline =
        static_cast<const char*>(std::memchr(text + at, '\n', length - at));
    const std::size_t end =
        newline ? static_cast<std::size_t>(newline - text) : length;
    TakeEventValue(text + at, end - at, "PCI_CLASS=", classCode);
    TakeEventValue(text + at, end - at, "PCI_ID=", id);
    TakeEventValue(text + at, end - at, "PCI_SUBSYS_ID=", subsystem);
    at = end + 1;
  }
}

}  // namespace

void StorePciNumbers(std::uint32_t vendor, std::uint32_t device,
                     std::uint32_t subsystemVendor,
                     std::uint32_t subsystemDevice, std::uint32_t classCode,
                     PciNumbers* numbers) {
  numbers->vendor = static_cast<std::uint16_t>(vendor);
  numbers->device = static_cast<std::uint16_t>(device);
  numbers->subsystemVendor = static_cast<std::uint16_t>(subsystemVendor);
  numbers->subsystemDevice = static_cast<std::uint16_t>(subsystemDevice);
  numbers->classCode = classCode;
}

bool ParseDeviceNumber(const char* text, std::size_t length,
                       std::uint32_t limit, std::uint32_t* value) {
  if (length > 0 && text[length - 1] == '\n') --length;
  if (length < 3 || text[0] != '0' || text[1] != 'x') return false;
  return ParseHexDigits(text + 2, length - 2, limit, value);
}

bool ParseDeviceEvent(const char* text, std::size_t length,
                      PciNumbers* numbers) {
  EventValue classValue, idValue, subsystemValue;
  FindEventValues(text, length, &classValue, &idValue, &subsystemValue);
  std::uint32_t classCode, vendor, device, subsystemVendor, subsystemDevice;
  if (!ParseHexDigits(classValue.text, classValue.length, kClassLimit,
                      &classCode) ||
      !ParseHexPair(idValue.text, idValue.length, &vendor, &device) ||
      !ParseHexPair(subsystemValue.text, subsystemValue.length,
                    &subsystemVendor, &subsystemDevice))
    return false;
  StorePciNumbers(vendor, device, subsystemVendor, subsystemDevice, classCode,
                  numbers);
  return true;
}

}  // namespace pomvarin::platform::posix
