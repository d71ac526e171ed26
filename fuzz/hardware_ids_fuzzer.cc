// The hardware IDs of a PCI device as made from the kernel's number files.
//
// Input: the texts of the vendor, device, subsystem_vendor,
// subsystem_device, revision and class files, separated by NUL bytes (the
// last one holds the rest). Every text is read against a range of limits
// and compared with a reading in 64 bits; when all six read within the
// kernel files' limits, their hardware IDs are made and read back. The IDs
// of numbers taken straight from the first input bytes are read back too.
// The whole input is also read as a device's uevent file and compared with
// a reading line by line.

#include <cstddef>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "platform/posix/pci_number_text.h"

namespace pomvarin::fuzz {
namespace {

using pomvarin::kHardwareIdsSize;
using pomvarin::PciNumbers;

// The limits of the six number files, in input order.
const std::uint32_t kFileLimits[] = {0xFFFF, 0xFFFF, 0xFFFF,
                                     0xFFFF, 0xFF,   0xFFFFFF};
const std::uint32_t kOtherLimits[] = {0, 1, 0xF, 0x0FFFFFFF, 0xFFFFFFFF};

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// "0x", hex digits, one optional final newline, no more than limit; read in
// 64 bits, where no digit can wrap the number.
bool ReferenceNumber(std::string text, std::uint32_t limit,
                     std::uint32_t* value) {
  if (!text.empty() && text.back() == '\n') text.pop_back();
  if (text.size() < 3 || text.compare(0, 2, "0x") != 0) return false;
  std::uint64_t number = 0;
  for (std::size_t i = 2; i < text.size(); ++i) {
    const int digit = HexValue(text[i]);
    if (digit < 0) return false;
    number = number * 16 + static_cast<std::uint64_t>(digit);
    // More digits never make the number smaller.
    if (number > limit) return false;
  }
  *value = static_cast<std::uint32_t>(number);
  return true;
}

// Reads text against limit both ways; returns whether it read.
bool CheckNumber(const std::string& text, std::uint32_t limit,
                 std::uint32_t* value) {
  auto bytes = ExactCopy(text);
  std::uint32_t parsed = 0xDEADBEEF;
  const bool read = platform::posix::ParseDeviceNumber(bytes.get(), text.size(),
                                                       limit, &parsed);
  std::uint32_t expected = 0;
  const bool wellFormed = ReferenceNumber(text, limit, &expected);
  if (read != wellFormed || (read && parsed != expected)) {
    std::fprintf(stderr, "limit 0x%X: read %d as 0x%X, expected %d as 0x%X\n",
                 limit, read, parsed, wellFormed, expected);
  }
  Require(read == wellFormed,
          "a number file reads exactly when it is well formed within limit");
  if (read) Require(parsed == expected, "a number file reads as its value");
  *value = parsed;
  return read;
}

// The value of the first line of text that starts with key, if any.
bool ReferenceEventValue(const std::string& text, const std::string& key,
                         std::string* value) {
  for (std::size_t at = 0; at <= text.size();) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    if (text.compare(at, key.size(), key) == 0 && end - at >= key.size()) {
      *value = text.substr(at + key.size(), end - at - key.size());
      return true;
    }
    at = end + 1;
  }
  return false;
}

// "XXXX:YYYY", each half a number within 16 bits.
bool ReferencePair(const std::string& value, std::uint32_t* first,
                   std::uint32_t* second) {
  const std::size_t colon = value.find(':');
  return colon != std::string::npos &&
         ReferenceNumber("0x" + value.substr(0, colon), 0xFFFF, first) &&
         ReferenceNumber("0x" + value.substr(colon + 1), 0xFFFF, second);
}

void CheckEvent(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  auto bytes = ExactCopy(text);
  PciNumbers numbers{1, 2, 3, 4, 5, 6};
  const bool read =
      platform::posix::ParseDeviceEvent(bytes.get(), size, &numbers);
  std::string classText, id, subsystem;
  std::uint32_t classCode = 0, vendor = 0, device = 0, subsystemVendor = 0,
                subsystemDevice = 0;
  const bool wellFormed =
      ReferenceEventValue(text, "PCI_CLASS=", &classText) &&
      ReferenceNumber("0x" + classText, 0xFFFFFF, &classCode) &&
      ReferenceEventValue(text, "PCI_ID=", &id) &&
      ReferencePair(id, &vendor, &device) &&
      ReferenceEventValue(text, "PCI_SUBSYS_ID=", &subsystem) &&
      ReferencePair(subsystem, &subsystemVendor, &subsystemDevice);
  Require(read == wellFormed,
          "a uevent file reads exactly when its three lines are well formed");
  if (read) {
    Require(numbers.vendor == vendor && numbers.device == device &&
                numbers.subsystemVendor == subsystemVendor &&
                numbers.subsystemDevice == subsystemDevice &&
                numbers.classCode == classCode,
            "a uevent file reads as its first lines of each key say");
  }
  Require(numbers.revision == 5, "a uevent file leaves the revision alone");
}

// A cursor over one hardware ID.
struct Reader {
  const std::string& id;
  std::size_t at;

  bool Take(const char* literal) {
    const std::size_t length = std::strlen(literal);
    if (id.compare(at, length, literal) != 0) return false;
    at += length;
    return true;
  }

  // Exactly digits hex digits, upper case only.
  bool TakeHex(std::size_t digits, std::uint32_t* value) {
    if (at + digits > id.size()) return false;
    std::uint32_t number = 0;
    for (std::size_t i = 0; i < digits; ++i) {
      const char c = id[at + i];
      if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return false;
      number = number * 16 + static_cast<std::uint32_t>(HexValue(c));
    }
    at += digits;
    *value = number;
    return true;
  }

  bool AtEnd() const { return at == id.size(); }
};

void CheckVendorAndDevice(Reader& reader, const PciNumbers& numbers) {
  std::uint32_t vendor = 0, device = 0;
  Require(reader.Take("PCI\\VEN_") && reader.TakeHex(4, &vendor) &&
              reader.Take("&DEV_") && reader.TakeHex(4, &device),
          "an ID starts PCI\\VEN_vvvv&DEV_dddd in upper-case hex");
  Require(vendor == numbers.vendor && device == numbers.device,
          "an ID carries the vendor and device numbers");
}

void CheckHardwareIds(const PciNumbers& numbers) {
  struct GuardedIds {
    char ids[kHardwareIdsSize];
  };
  auto out = std::make_unique<GuardedIds>();
  std::memset(out->ids, 'Z', kHardwareIdsSize);
  const std::size_t used = FormatHardwareIds(numbers, out->ids);
  Require(used >= 2 && used <= kHardwareIdsSize,
          "the ID list fits in its buffer");
  Require(out->ids[used - 1] == '\0' && out->ids[used - 2] == '\0',
          "the ID list ends with two NUL bytes");

  std::vector<std::string> ids;
  for (std::size_t at = 0; at < used - 1;) {
    ids.emplace_back(out->ids + at);
    Require(!ids.back().empty(), "no empty ID before the end of the list");
    at += ids.back().size() + 1;
  }
  Require(ids.size() == 4, "the list holds four IDs");

  const std::uint32_t subsystem =
      static_cast<std::uint32_t>(numbers.subsystemDevice) << 16 |
      numbers.subsystemVendor;
  std::uint32_t value = 0;
  for (int i = 0; i < 2; ++i) {
    Reader reader{ids[i], 0};
    CheckVendorAndDevice(reader, numbers);
    Require(reader.Take("&SUBSYS_") && reader.TakeHex(8, &value) &&
                value == subsystem,
            "the first two IDs carry the subsystem");
    if (i == 0) {
      Require(reader.Take("&REV_") && reader.TakeHex(2, &value) &&
                  value == numbers.revision,
              "the first ID carries the revision");
    }
    Require(reader.AtEnd(), "nothing follows the last part of an ID");
  }
  for (int i = 2; i < 4; ++i) {
    Reader reader{ids[i], 0};
    CheckVendorAndDevice(reader, numbers);
    const std::size_t digits = i == 2 ? 6 : 4;
    const std::uint32_t classCode =
        i == 2 ? numbers.classCode : numbers.classCode >> 8;
    Require(reader.Take("&CC_") && reader.TakeHex(digits, &value) &&
                value == classCode,
            "the last two IDs carry the class code, then base and subclass");
    Require(reader.AtEnd(), "nothing follows the class code");
  }
}

}  // namespace
}  // namespace pomvarin::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  using namespace pomvarin::fuzz;
  CheckEvent(data, size);
  const auto texts = SplitAtNul(data, size, 6);
  std::uint32_t values[6];
  bool allRead = true;
  for (std::size_t i = 0; i < 6; ++i) {
    std::uint32_t ignored;
    for (std::uint32_t limit : kOtherLimits) CheckNumber(texts[i], limit, &ignored);
    if (!CheckNumber(texts[i], kFileLimits[i], &values[i])) allRead = false;
  }
  if (allRead) {
    PciNumbers numbers;
    numbers.vendor = static_cast<std::uint16_t>(values[0]);
    numbers.device = static_cast<std::uint16_t>(values[1]);
    numbers.subsystemVendor = static_cast<std::uint16_t>(values[2]);
    numbers.subsystemDevice = static_cast<std::uint16_t>(values[3]);
    numbers.revision = static_cast<std::uint8_t>(values[4]);
    numbers.classCode = values[5];
    CheckHardwareIds(numbers);
  }

  // Numbers straight from the input bytes, the class within its 24 bits.
  unsigned char raw[12] = {};
  std::memcpy(raw, data, size < sizeof raw ? size : sizeof raw);
  PciNumbers numbers;
  numbers.vendor = static_cast<std::uint16_t>(raw[0] | raw[1] << 8);
  numbers.device = static_cast<std::uint16_t>(raw[2] | raw[3] << 8);
  numbers.subsystemVendor = static_cast<std::uint16_t>(raw[4] | raw[5] << 8);
  numbers.subsystemDevice = static_cast<std::uint16_t>(raw[6] | raw[7] << 8);
  numbers.revision = raw[8];
  numbers.classCode =
      static_cast<std::uint32_t>(raw[9] | raw[10] << 8 | raw[11] << 16);
  CheckHardwareIds(numbers);
  return 0;
}
