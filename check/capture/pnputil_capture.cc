// pnputil /enum-devices with the devices' IDs (/deviceids or /ids), its
// labels in any language.
#include <optional>

#include "check/capture/capture_formats.h"

namespace pomvarin::check::capture {

namespace {

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

}  // namespace

// A device's first line, maybe below the tool's name.
bool LooksLikePnputil(const Lines& lines, std::size_t first) {
  if (StartsPnputilDevice(lines[first])) return true;
  if (SplitLabelled(lines[first])) return false;
  std::size_t next = first + 1;
  while (next < lines.size() && Trim(lines[next]).empty()) ++next;
  return next < lines.size() && StartsPnputilDevice(lines[next]);
}

bool ReadPnputil(const Lines& lines, Devices* devices, CaptureError* error) {
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
                    "/enum-devices), found " + QuotedExcerpt(line),
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
                  "field above (pnputil /enum-devices), found " + QuotedExcerpt(line),
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
                    "the device that starts here, found " + QuotedExcerpt(id),
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

}  // namespace pomvarin::check::capture
