#include "check/capture.h"

#include <cstdint>
#include <optional>
#include <vector>

#include "check/file_text.h"
#include "common/pci_hardware_ids.h"

namespace pomvarin::check {

namespace {

const char kListHeader[] =
    "# PCI devices, one per line: hardware IDs, most specific first\n";
const char kNoIds[] = "-";
const char kFormats[] =
    "lspci -vmm -nn, pomvarin-check --list or pnputil /enum-devices output";

using Lines = std::vector<std::string>;

bool Fail(int line, const std::string& message, CaptureError* error) {
  *error = CaptureError{line, message};
  return false;
}

std::string Quoted(const std::string& text) {
  const std::size_t shown = 60;
  return "\"" + (text.size() > shown ? text.substr(0, shown) + "..." : text) +
         "\"";
}

// The line a byte offset of the text is on.
int LineAt(const std::string& text, std::size_t offset) {
  int line = 1;
  for (std::size_t i = 0; i < offset && i < text.size(); ++i)
    line += text[i] == '\n';
  return line;
}

// Lines end at LF or CRLF.
Lines SplitLines(const std::string& text) {
  Lines lines;
  std::size_t at = 0;
  while (at < text.size()) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    at = end + 1;
  }
  return lines;
}

// White space as the list form splits IDs at it, so that a line reads the
// same whatever blanks stand around its IDs.
bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r';
}

std::string Trim(const std::string& text) {
  std::size_t first = 0, last = text.size();
  while (first < last && IsBlank(text[first])) ++first;
  while (last > first && IsBlank(text[last - 1])) --last;
  return text.substr(first, last - first);
}

std::vector<std::string> Words(const std::string& line) {
  std::vector<std::string> words;
  std::size_t at = 0;
  while (at < line.size()) {
    while (at < line.size() && IsBlank(line[at])) ++at;
    std::size_t end = at;
    while (end < line.size() && !IsBlank(line[end])) ++end;
    if (end > at) words.push_back(line.substr(at, end - at));
    at = end;
  }
  return words;
}

bool IsWordCharacter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
         (c >= '0' && c <= '9') || c == '_';
}

// The number of "\"-separated parts of a device ID in the enumerator's form
// (ENUMERATOR\rest, no blanks, no empty part), or 0 for any other text.
int DeviceIdParts(const std::string& text) {
  std::size_t enumerator = 0;
  while (enumerator < text.size() && IsWordCharacter(text[enumerator]))
    ++enumerator;
  if (enumerator == 0 || enumerator == text.size() || text[enumerator] != '\\')
    return 0;
  int parts = 1;
  std::size_t partLength = 0;
  for (std::size_t i = enumerator + 1; i < text.size(); ++i) {
    if (IsBlank(text[i])) return 0;
    if (text[i] == '\\') {
      if (partLength == 0) return 0;
      ++parts;
      partLength = 0;
    } else {
      ++partLength;
    }
  }
  return partLength == 0 ? 0 : parts + 1;
}

bool IsListId(const std::string& word) { return DeviceIdParts(word) >= 2; }

// A hardware or compatible ID: ENUMERATOR\ID.
bool IsHardwareId(const std::string& text) { return DeviceIdParts(text) == 2; }

// A device instance ID: ENUMERATOR\ID\INSTANCE.
bool IsInstanceId(const std::string& text) { return DeviceIdParts(text) >= 3; }

// ---- pomvarin-check --list

bool IsListLine(const std::string& line) {
  if (line[0] == '#' || line == kNoIds) return true;
  return IsListId(Words(line)[0]);
}

bool ParseList(const Lines& lines, Devices* devices, CaptureError* error) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string line = Trim(lines[i]);
    if (line.empty() || line[0] == '#') continue;
    Device device;
    if (line != kNoIds) {
      for (const std::string& word : Words(line)) {
        if (!IsListId(word))
          return Fail(static_cast<int>(i) + 1,
                      "expected hardware IDs such as "
                      "PCI\\VEN_8086&DEV_1237&SUBSYS_00000000&REV_02 separated "
                      "by blanks, or \"-\" (pomvarin-check --list), found " +
                          Quoted(word),
                      error);
        device.hardwareIds.push_back(word);
      }
    }
    devices->push_back(device);
  }
  return true;
}

// ---- lspci -vmm -nn

struct Field {
  std::string name;
  std::string value;
};

// "Name:" then blanks (a tab, or spaces where the capture was retyped) and
// the value; the name is letters only.
std::optional<Field> SplitLspciField(const std::string& line) {
  std::size_t colon = 0;
  while (colon < line.size() && ((line[colon] >= 'A' && line[colon] <= 'Z') ||
                                 (line[colon] >= 'a' && line[colon] <= 'z')))
    ++colon;
  if (colon == 0 || colon == line.size() || line[colon] != ':')
    return std::nullopt;
  return Field{line.substr(0, colon), Trim(line.substr(colon + 1))};
}

bool IsHexDigits(const std::string& text, std::size_t from, std::size_t count) {
  if (from + count > text.size()) return false;
  for (std::size_t i = from; i < from + count; ++i) {
    const char c = text[i];
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') ||
          (c >= 'A' && c <= 'F')))
      return false;
  }
  return true;
}

// [domain:]bus:device.function, as lspci writes a slot: 00:1f.2 or
// 0000:00:1f.2.
bool IsSlot(const std::string& text) {
  std::size_t domain = 0;
  while (domain < text.size() && text[domain] != ':') ++domain;
  std::string rest = text;
  if (text.size() > 8 && text[domain] == ':' && domain >= 4 &&
      IsHexDigits(text, 0, domain))
    rest = text.substr(domain + 1);
  return rest.size() == 7 && IsHexDigits(rest, 0, 2) && rest[2] == ':' &&
         IsHexDigits(rest, 3, 2) && rest[5] == '.' && rest[6] >= '0' &&
         rest[6] <= '7';
}

std::uint32_t HexValue(const std::string& digits) {
  std::uint32_t value = 0;
  for (char c : digits) {
    const int digit = c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
    value = value * 16 + static_cast<std::uint32_t>(digit);
  }
  return value;
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
                    "second " + field.name + ": in the device of line " +
                        std::to_string(firstLine_),
                    error);
      seen_ |= 1u << i;
      const std::string& value = field.value;
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
                        " after " + field.name +
                        ": (lspci -vmm -nn), found " + Quoted(value),
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

bool ParseLspci(const Lines& lines, Devices* devices, CaptureError* error) {
  std::optional<LspciRecord> record;
  auto finish = [&]() {
    if (!record) return true;
    Device device;
    if (!record->Finish(&device, error)) return false;
    devices->push_back(device);
    record.reset();
    return true;
  };
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string line = Trim(lines[i]);
    const int number = static_cast<int>(i) + 1;
    if (line.empty()) {
      if (!finish()) return false;
      continue;
    }
    const std::optional<Field> field = SplitLspciField(line);
    if (!field)
      return Fail(number,
                  "expected an lspci field such as \"Vendor:\\tIntel "
                  "Corporation [8086]\", found " + Quoted(line),
                  error);
    if (!record) {
      if (!IsRecordStart(*field) || !IsSlot(field->value))
        return Fail(number,
                    "expected the first line of a device, \"Slot:\" and a slot "
                    "such as 00:1f.2 (lspci -vmm -nn), found " + Quoted(line),
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

// ---- pnputil /enum-devices

// "Label: value" or "Label :  value" (a label is any text, translated as
// the system's language is, up to a colon followed by a blank), at the
// start of a line.
std::optional<Field> SplitLabelled(const std::string& line) {
  if (line.empty() || IsBlank(line[0])) return std::nullopt;
  for (std::size_t colon = line.find(':'); colon != std::string::npos;
       colon = line.find(':', colon + 1)) {
    if (colon + 1 == line.size() || IsBlank(line[colon + 1])) {
      const std::string label = Trim(line.substr(0, colon));
      if (label.empty()) return std::nullopt;
      return Field{label, Trim(line.substr(colon + 1))};
    }
  }
  return std::nullopt;
}

bool StartsPnputilDevice(const std::string& line) {
  const std::optional<Field> field = SplitLabelled(line);
  return field && IsInstanceId(field->value);
}

// A device's first line, maybe below the tool's name.
bool IsPnputilStart(const Lines& lines, std::size_t first) {
  if (StartsPnputilDevice(lines[first])) return true;
  if (SplitLabelled(lines[first])) return false;
  std::size_t next = first + 1;
  while (next < lines.size() && Trim(lines[next]).empty()) ++next;
  return next < lines.size() && StartsPnputilDevice(lines[next]);
}

bool IsPciInstance(const std::string& instanceId) {
  const std::string enumerator = instanceId.substr(0, 4);
  return enumerator.size() == 4 && (enumerator[0] | 0x20) == 'p' &&
         (enumerator[1] | 0x20) == 'c' && (enumerator[2] | 0x20) == 'i' &&
         enumerator[3] == '\\';
}

struct PnputilField {
  std::string label;
  std::vector<std::string> values;
  int line;
};

// The hardware IDs of one device's fields: the "Hardware IDs" field where
// the labels are English; otherwise the first field whose values are all
// IDs of the ENUMERATOR\ID form (hardware IDs come before compatible ones).
// False when the device has no field of IDs at all.
bool HardwareIdsOf(const std::vector<PnputilField>& fields,
                   std::vector<std::string>* ids) {
  for (const PnputilField& field : fields) {
    if (field.label == "Hardware IDs") {
      *ids = field.values;
      return true;
    }
    if (field.label == "Compatible IDs") return true;
  }
  for (const PnputilField& field : fields) {
    bool allIds = !field.values.empty();
    for (const std::string& value : field.values)
      allIds = allIds && IsHardwareId(value);
    if (allIds) {
      *ids = field.values;
      return true;
    }
  }
  return false;
}

bool ParsePnputil(const Lines& lines, Devices* devices, CaptureError* error) {
  struct Record {
    std::string instanceId;
    int line;
    std::vector<PnputilField> fields;
  };
  std::vector<Record> records;
  bool inRecord = false;
  bool titleSeen = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    const int number = static_cast<int>(i) + 1;
    if (Trim(line).empty()) {
      inRecord = false;
      continue;
    }
    const std::optional<Field> labelled = SplitLabelled(line);
    if (!inRecord) {
      if (records.empty() && !titleSeen && !labelled) {
        titleSeen = true;  // the tool's name above the devices
        continue;
      }
      if (!labelled || !IsInstanceId(labelled->value))
        return Fail(number,
                    "expected the first line of a device, its instance ID "
                    "such as \"Instance ID:  PCI\\VEN_8086&DEV_1237&SUBSYS_"
                    "00000000&REV_02\\3&267a616a&0&00\" (pnputil "
                    "/enum-devices), found " + Quoted(line),
                    error);
      records.push_back(Record{labelled->value, number, {}});
      inRecord = true;
      continue;
    }
    std::vector<PnputilField>& fields = records.back().fields;
    if (labelled) {
      fields.push_back(PnputilField{labelled->name, {}, number});
      if (!labelled->value.empty()) fields.back().values.push_back(labelled->value);
    } else if (IsBlank(line[0]) && !fields.empty()) {
      fields.back().values.push_back(Trim(line));
    } else {
      return Fail(number,
                  "expected \"Label:  value\" or an indented value of the "
                  "field above (pnputil /enum-devices), found " + Quoted(line),
                  error);
    }
  }
  bool anyIds = false;
  for (const Record& record : records) {
    Device device;
    anyIds = HardwareIdsOf(record.fields, &device.hardwareIds) || anyIds;
    for (const std::string& id : device.hardwareIds) {
      if (!IsHardwareId(id))
        return Fail(record.line,
                    "expected hardware IDs such as PCI\\VEN_8086&DEV_1237 in "
                    "the device that starts here, found " + Quoted(id),
                    error);
    }
    if (IsPciInstance(record.instanceId)) devices->push_back(device);
  }
  if (records.empty())
    return Fail(static_cast<int>(lines.size()),
                "expected devices after the tool's name (pnputil "
                "/enum-devices), found none",
                error);
  if (!anyIds)
    return Fail(records[0].line,
                "expected the devices' hardware IDs (\"Hardware IDs:\"): make "
                "the capture with /deviceids (Windows 11) or /ids (Windows 10)",
                error);
  if (devices->empty())
    return Fail(static_cast<int>(lines.size()),
                "expected at least one PCI device (an instance ID beginning "
                "PCI\\), found none",
                error);
  return true;
}

}  // namespace

bool ReadDeviceCapture(const std::string& bytes, Devices* devices,
                       CaptureError* error) {
  std::string text, fault;
  int faultLine = 0;
  if (!DecodeFileText(bytes, Utf16Orders::kEither, &text, &faultLine, &fault))
    return Fail(faultLine, fault, error);
  const std::size_t nul = text.find('\0');
  if (nul != std::string::npos)
    return Fail(LineAt(text, nul),
                "expected text, found a NUL byte: save the capture as UTF-8, "
                "or as UTF-16 with a byte-order mark",
                error);
  const Lines lines = SplitLines(text);
  std::size_t first = 0;
  while (first < lines.size() && Trim(lines[first]).empty()) ++first;
  if (first == lines.size())
    return Fail(static_cast<int>(lines.empty() ? 1 : lines.size()),
                std::string("expected ") + kFormats + ", found " +
                    (bytes.empty() ? "an empty file" : "no text"),
                error);
  const std::string start = Trim(lines[first]);
  const std::optional<Field> field = SplitLspciField(start);
  Devices read;
  bool done;
  if (IsListLine(start)) {
    done = ParseList(lines, &read, error);
  } else if (field && (field->name == "Slot" || IsRecordStart(*field))) {
    done = ParseLspci(lines, &read, error);
  } else if (IsPnputilStart(lines, first)) {
    done = ParsePnputil(lines, &read, error);
  } else {
    return Fail(static_cast<int>(first) + 1,
                std::string("expected ") + kFormats +
                    ": a line of hardware IDs, \"Slot:\" or a device's "
                    "instance ID, found " + Quoted(start),
                error);
  }
  if (!done) return false;
  *devices = read;
  return true;
}

std::string DescribeCaptureError(const std::string& file,
                                 const CaptureError& error) {
  return file + ", line " + std::to_string(error.line) + ": " + error.message;
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
