// lspci -vmm -nn (with or without -k, of pciutils old and new): its
// numbers become the hardware IDs the Windows form gives.
#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>

#include "check/capture/capture_formats.h"
#include "common/pci_hardware_ids.h"

namespace pomvarin::check::capture {

namespace {

// "Name:" then blanks (a tab, or spaces where the capture was retyped) and
// the value; the name is letters only.
std::optional<Field> SplitLspciField(std::string_view line) {
  std::size_t colon = 0;
  while (colon < line.size() && ((line[colon] >= 'A' && line[colon] <= 'Z') ||
                                 (line[colon] >= 'a' && line[colon] <= 'z')))
    ++colon;
  if (colon == 0 || colon == line.size() || line[colon] != ':')
    return std::nullopt;
  return Field{line.substr(0, colon), Trim(line.substr(colon + 1))};
}

// [domain:]bus:device.function, as lspci writes a slot: 00:1f.2 or
// 0000:00:1f.2.
bool IsSlot(std::string_view text) {
  std::size_t domain = 0;
  while (domain < text.size() && text[domain] != ':') ++domain;
  std::string_view rest = text;
  const bool colon = domain < text.size();
  if (text.size() > 8 && colon && domain >= 4 && IsHexDigits(text, 0, domain))
    rest = text.substr(domain + 1);
  return rest.size() == 7 && IsHexDigits(rest, 0, 2) && rest[2] == ':' &&
         IsHexDigits(rest, 3, 2) && rest[5] == '.' && rest[6] >= '0' &&
         rest[6] <= '7';
}

bool IsRecordStart(const Field& field) {
  return field.name == "Slot" || (field.name == "Device" && IsSlot(field.value));
}

// One device record of lspci -vmm -nn: the slot on its first line ("Slot:",
// or "Device:" before pciutils 3.0, whose second "Device:" is the device),
// then its fields. Fields it has no use for are left alone; lspci leaves out
// SVendor, SDevice, Rev and ProgIf when they are 0.
class LspciRecord {
 public:
  explicit LspciRecord(int line) : firstLine_(line) {}

  bool Take(const Field& field, int line, CaptureError* error) {
    struct Number {
      const char* name;
      bool bracketed;  // "name [hhhh]"; else bare "hh"
      std::uint32_t* value;
    };
    const Number numbers[] = {
        {"Vendor", true, &vendor_},
        {"Device", true, &device_},
        {"Class", true, &class_},
        {"SVendor", true, &subsystemVendor_},
        {"SDevice", true, &subsystemDevice_},
        {"Rev", false, &revision_},
        {"ProgIf", false, &programmingInterface_},
    };
    for (std::size_t i = 0; i < sizeof numbers / sizeof numbers[0]; ++i) {
      const Number& number = numbers[i];
      if (field.name != number.name) continue;
      if (seen_ & 1u << i)
        return Fail(line,
                    "expected a blank line between two devices, found a "
                    "second " + std::string(field.name) +
                        ": in the device of line " +
                        std::to_string(firstLine_),
                    error);
      seen_ |= 1u << i;
      const std::string_view value = field.value;
      const std::size_t digits = number.bracketed ? 4 : 2;
      const std::size_t from = number.bracketed ? value.size() - 5 : 0;
      if (number.bracketed
              ? !(value.size() >= 6 && value.back() == ']' &&
                  value[from - 1] == '[' && IsHexDigits(value, from, digits))
              : !(value.size() == 2 && IsHexDigits(value, 0, 2)))
        return Fail(line,
                    std::string("expected ") +
                        (number.bracketed
                             ? "a name and its number in brackets, such as "
                               "\"Intel Corporation [8086]\""
                             : "two hex digits") +
                        " after " + std::string(field.name) +
                        ": (lspci -vmm -nn), found " + QuotedExcerpt(value),
                    error);
      *number.value = HexValue(value.substr(from, digits));
    }
    return true;
  }

  bool Finish(Device* result, CaptureError* error) const {
    const unsigned vendor = 1u << 0, device = 1u << 1, classCode = 1u << 2;
    const unsigned subsystem = 1u << 3 | 1u << 4;
    if ((seen_ & (vendor | device | classCode)) !=
        (vendor | device | classCode))
      return Fail(firstLine_,
                  "expected Class:, Vendor: and Device: lines in the device "
                  "that starts here (lspci -vmm -nn)",
                  error);
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
    if ((seen_ & subsystem) == 0) {
      const std::string where = result->hardwareIds[0] + " (capture line " +
                                std::to_string(firstLine_) + "): ";
      result->note =
          where + (class_ == 0x0604
                       ? "a PCI-to-PCI bridge without subsystem lines (lspci "
                         "before 3.8 prints none for bridges): Windows may "
                         "show other SUBSYS_ digits, read from the bridge"
                       : "no subsystem lines (lspci leaves them out when the "
                         "subsystem vendor is 0000 or ffff): Windows may "
                         "show other SUBSYS_ digits");
    }
    return true;
  }

 private:
  int firstLine_;
  unsigned seen_ = 0;  // a bit for each number, in the order of Take's table
  std::uint32_t vendor_ = 0, device_ = 0, class_ = 0;
  std::uint32_t subsystemVendor_ = 0, subsystemDevice_ = 0;
  std::uint32_t revision_ = 0, programmingInterface_ = 0;
};

}  // namespace

bool LooksLikeLspci(const LineCursor& first) {
  const std::optional<Field> field = SplitLspciField(Trim(first.line()));
  return field && IsRecordStart(*field);
}

bool ReadLspci(std::string_view text, Devices* devices, CaptureError* error) {
  std::optional<LspciRecord> record;
  auto finish = [&]() {
    if (!record) return true;
    Device device;
    if (!record->Finish(&device, error)) return false;
    devices->push_back(std::move(device));
    record.reset();
    return true;
  };
  LineCursor lines(text);
  while (lines.Next()) {
    const std::string_view line = Trim(lines.line());
    const int number = lines.number();
    if (line.empty()) {
      if (!finish()) return false;
      continue;
    }
    const std::optional<Field> field = SplitLspciField(line);
    if (!field)
      return Fail(number,
                  "expected an lspci field such as \"Vendor:\\tIntel "
                  "Corporation [8086]\", found " + QuotedExcerpt(line),
                  error);
    if (!record) {
      if (!IsRecordStart(*field) || !IsSlot(field->value))
        return Fail(number,
                    "expected the first line of a device, \"Slot:\" and a slot "
                    "such as 00:1f.2 (lspci -vmm -nn), found " + QuotedExcerpt(line),
                    error);
      record.emplace(number);
      continue;
    }
    if (field->name == "Slot")
      return Fail(number,
                  "expected a blank line before the next device's Slot:",
                  error);
    if (!record->Take(*field, number, error)) return false;
  }
  return finish();
}

}  // namespace pomvarin::check::capture
