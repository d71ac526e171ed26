// pnputil /enum-devices with the devices' IDs (/deviceids or /ids), its
// labels in any language.
#include <optional>
#include <string_view>
#include <utility>

#include "check/capture/capture_formats.h"

namespace pomvarin::check::capture {

namespace {

// "Label: value" or "Label :  value" (a label is any text, translated as
// the system's language is, up to a colon followed by a blank), at the
// start of a line.
std::optional<Field> SplitLabelled(std::string_view line) {
  if (line.empty() || IsBlank(line[0])) return std::nullopt;
  for (std::size_t colon = line.find(':'); colon != std::string_view::npos;
       colon = line.find(':', colon + 1)) {
    if (colon + 1 == line.size() || IsBlank(line[colon + 1])) {
      const std::string_view label = Trim(line.substr(0, colon));
      if (label.empty()) return std::nullopt;
      return Field{label, Trim(line.substr(colon + 1))};
    }
  }
  return std::nullopt;
}

bool StartsPnputilDevice(std::string_view line) {
  const std::optional<Field> field = SplitLabelled(line);
  return field && IsInstanceId(field->value);
}

bool IsPciInstance(std::string_view instanceId) {
  const std::string_view enumerator = instanceId.substr(0, 4);
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

}  // namespace

// A device's first line, maybe below the tool's name.
bool LooksLikePnputil(const LineCursor& first) {
  // PowerShell's Format-List of devices may start with their instance IDs
  // too; its names are told by their shape.
  if (LooksLikePowerShellList(first)) return false;
  if (StartsPnputilDevice(first.line())) return true;
  if (SplitLabelled(first.line())) return false;
  LineCursor next = first;
  while (next.Next())
    if (!Trim(next.line()).empty()) return StartsPnputilDevice(next.line());
  return false;
}

bool ReadPnputil(std::string_view text, Devices* devices, CaptureError* error) {
  struct Record {
    std::string instanceId;
    int line;
    std::vector<PnputilField> fields;
  };
  std::optional<Record> record;  // the device being read
  int firstRecordLine = 0;       // 0 before the first device
  bool anyIds = false;
  // The first device with IDs of another shape; refused once every line
  // has been read, so that a line at fault further on is named first.
  std::optional<CaptureError> badIds;
  auto finish = [&]() {
    if (!record) return;
    Device device;
    anyIds = HardwareIdsOf(record->fields, &device.hardwareIds) || anyIds;
    for (const std::string& id : device.hardwareIds) {
      if (!badIds && !IsHardwareId(id))
        badIds = CaptureError{
            record->line,
            "expected hardware IDs such as PCI\\VEN_8086&DEV_1237 in the "
            "device that starts here, found " + QuotedExcerpt(id)};
    }
    if (IsPciInstance(record->instanceId)) devices->push_back(std::move(device));
    record.reset();
  };
  bool titleSeen = false;
  LineCursor lines(text);
  while (lines.Next()) {
    const std::string_view line = lines.line();
    const int number = lines.number();
    if (Trim(line).empty()) {
      finish();
      continue;
    }
    const std::optional<Field> labelled = SplitLabelled(line);
    if (!record) {
      if (firstRecordLine == 0 && !titleSeen && !labelled) {
        titleSeen = true;  // the tool's name above the devices
        continue;
      }
      if (!labelled || !IsInstanceId(labelled->value))
        return Fail(number,
                    "expected the first line of a device, its instance ID "
                    "such as \"Instance ID:  PCI\\VEN_8086&DEV_1237&SUBSYS_"
                    "00000000&REV_02\\3&267a616a&0&00\" (pnputil "
                    "/enum-devices), found " + QuotedExcerpt(line),
                    error);
      record = Record{std::string(labelled->value), number, {}};
      if (firstRecordLine == 0) firstRecordLine = number;
      continue;
    }
    std::vector<PnputilField>& fields = record->fields;
    if (labelled) {
      fields.push_back(PnputilField{std::string(labelled->name), {}, number});
      if (!labelled->value.empty())
        fields.back().values.emplace_back(labelled->value);
    } else if (IsBlank(line[0]) && !fields.empty()) {
      fields.back().values.emplace_back(Trim(line));
    } else {
      return Fail(number,
                  "expected \"Label:  value\" or an indented value of the "
                  "field above (pnputil /enum-devices), found " + QuotedExcerpt(line),
                  error);
    }
  }
  finish();
  if (badIds) return Fail(badIds->line, badIds->message, error);
  if (firstRecordLine == 0)
    return Fail(lines.number(),
                "expected devices after the tool's name (pnputil "
                "/enum-devices), found none",
                error);
  if (!anyIds)
    return Fail(firstRecordLine,
                "expected the devices' hardware IDs (\"Hardware IDs:\"): make "
                "the capture with /deviceids (Windows 11) or /ids (Windows 10)",
                error);
  if (devices->empty())
    return Fail(lines.number(),
                "expected at least one PCI device (an instance ID beginning "
                "PCI\\), found none",
                error);
  return true;
}

}  // namespace pomvarin::check::capture
