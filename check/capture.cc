#include "check/capture.h"

#include <cstdint>
#include <optional>
#include <sstream>

#include "devices/pci_hardware_ids.h"

namespace pomvarin::check {

namespace {

const char kListHeader[] =
    "# PCI devices, one per line: hardware IDs, most specific first\n";
const char kNoIds[] = "-";

// White space as the list form splits IDs at it, so that a line reads the
// same whatever blanks stand around its IDs.
std::string TrimLine(std::string line) {
  const char* const blanks = " \t\n\v\f\r";
  const std::size_t first = line.find_first_not_of(blanks);
  if (first == std::string::npos) return "";
  const std::size_t last = line.find_last_not_of(blanks);
  return line.substr(first, last - first + 1);
}

// The number in the last "[...]" of an lspci field, or the whole value when
// it has none (Rev and ProgIf are bare hex).
bool ParseLspciNumber(const std::string& value, std::uint32_t limit,
                      std::uint32_t* number) {
  std::string digits = value;
  const std::size_t open = value.rfind('[');
  if (open != std::string::npos) {
    const std::size_t close = value.find(']', open);
    if (close == std::string::npos) return false;
    digits = value.substr(open + 1, close - open - 1);
  }
  if (digits.empty() || digits.size() > 8) return false;
  std::uint32_t result = 0;
  for (char c : digits) {
    int digit;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    else return false;
    result = result * 16 + static_cast<std::uint32_t>(digit);
  }
  if (result > limit) return false;
  *number = result;
  return true;
}

// One "Slot:" record of lspci -vmm -nn. Fields it has no use for are left
// alone; lspci leaves out SVendor, SDevice, Rev and ProgIf when they are 0.
class LspciRecord {
 public:
  explicit LspciRecord(int line) : firstLine_(line) {}

  bool Take(const std::string& field, const std::string& value,
            std::string* error) {
    struct Field {
      const char* name;
      std::uint32_t limit;
      std::uint32_t* number;
      bool* seen;
    };
    const Field fields[] = {
        {"Vendor", 0xFFFF, &vendor_, &hasVendor_},
        {"Device", 0xFFFF, &device_, &hasDevice_},
        {"Class", 0xFFFF, &class_, &hasClass_},
        {"SVendor", 0xFFFF, &subsystemVendor_, nullptr},
        {"SDevice", 0xFFFF, &subsystemDevice_, nullptr},
        {"Rev", 0xFF, &revision_, nullptr},
        {"ProgIf", 0xFF, &programmingInterface_, nullptr},
    };
    for (const Field& f : fields) {
      if (field != f.name) continue;
      if (!ParseLspciNumber(value, f.limit, f.number)) {
        *error = field + " has no number: \"" + value + "\"";
        return false;
      }
      if (f.seen) *f.seen = true;
    }
    return true;
  }

  bool Finish(Device* result, std::string* error) const {
    if (!hasVendor_ || !hasDevice_ || !hasClass_) {
      *error = "the device of line " + std::to_string(firstLine_) +
               " lacks its Vendor, Device or Class";
      return false;
    }
    PciNumbers numbers{static_cast<std::uint16_t>(vendor_),
                       static_cast<std::uint16_t>(device_),
                       static_cast<std::uint16_t>(subsystemVendor_),
                       static_cast<std::uint16_t>(subsystemDevice_),
                       static_cast<std::uint8_t>(revision_),
                       class_ << 8 | programmingInterface_};
    char ids[kHardwareIdsSize];
    const std::size_t size = FormatHardwareIds(numbers, ids);
    result->hardwareIds =
        SplitIdList(reinterpret_cast<const unsigned char*>(ids), size);
    return true;
  }

 private:
  int firstLine_;
  std::uint32_t vendor_ = 0, device_ = 0, class_ = 0;
  std::uint32_t subsystemVendor_ = 0, subsystemDevice_ = 0;
  std::uint32_t revision_ = 0, programmingInterface_ = 0;
  bool hasVendor_ = false, hasDevice_ = false, hasClass_ = false;
};

bool ParseLspci(const std::vector<std::string>& lines, Devices* devices,
                std::string* error) {
  Devices parsed;
  std::optional<LspciRecord> record;
  auto finish = [&]() {
    if (!record) return true;
    Device device;
    if (!record->Finish(&device, error)) return false;
    parsed.push_back(device);
    record.reset();
    return true;
  };
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string line = TrimLine(lines[i]);
    const int number = static_cast<int>(i) + 1;
    if (line.empty()) {
      if (!finish()) return false;
      continue;
    }
    const std::size_t colon = line.find(':');
    if (colon == std::string::npos) {
      *error = "line " + std::to_string(number) + " is no lspci field";
      return false;
    }
    const std::string field = line.substr(0, colon);
    if (field == "Slot") {
      if (!finish()) return false;
      record.emplace(number);
      continue;
    }
    if (!record) {
      *error = "line " + std::to_string(number) + " comes before any Slot:";
      return false;
    }
    std::string fieldError;
    if (!record->Take(field, TrimLine(line.substr(colon + 1)), &fieldError)) {
      *error = "line " + std::to_string(number) + ": " + fieldError;
      return false;
    }
  }
  if (!finish()) return false;
  *devices = parsed;
  return true;
}

Devices ParseList(const std::vector<std::string>& lines) {
  Devices parsed;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string line = TrimLine(lines[i]);
    if (line.empty() || line[0] == '#') continue;
    Device device;
    if (line != kNoIds) {
      std::istringstream words(line);
      std::string id;
      while (words >> id) device.hardwareIds.push_back(id);
    }
    parsed.push_back(device);
  }
  return parsed;
}

bool IsLspciCapture(const std::vector<std::string>& lines) {
  for (const std::string& line : lines) {
    if (TrimLine(line).rfind("Slot:", 0) == 0) return true;
  }
  return false;
}

}  // namespace

bool ParseDeviceCapture(const std::string& text, Devices* devices,
                        std::string* error) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  if (IsLspciCapture(lines)) return ParseLspci(lines, devices, error);
  *devices = ParseList(lines);
  return true;
}

std::string FormatDeviceList(const Devices& devices) {
  std::string text = kListHeader;
  for (const Device& device : devices) {
    if (device.hardwareIds.empty()) text += kNoIds;
    for (std::size_t i = 0; i < device.hardwareIds.size(); ++i) {
      if (i > 0) text += ' ';
      text += device.hardwareIds[i];
    }
    text += '\n';
  }
  return text;
}

}  // namespace pomvarin::check
