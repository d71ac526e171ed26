// wmic's shared record and its /format:list (and /value) form:
// "Property=Value" lines, properties in alphabetical order, blank lines
// between objects.
#include "check/capture/windows/wmic.h"

#include <string>
#include <utility>
#include <vector>

#include "check/capture/capture_formats.h"
#include "common/ascii.h"

namespace pomvarin::check::capture {

namespace {

bool SameLetters(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (pomvarin::LowerAscii(a[i]) != pomvarin::LowerAscii(b[i])) return false;
  return true;
}

// The IDs of an array as wmic writes one: {"A","B"}, where the table puts
// a blank after each comma. False for any other text.
bool SplitArray(std::string_view text, std::vector<std::string>* ids) {
  if (text.size() < 2 || text.front() != '{' || text.back() != '}')
    return false;
  std::string_view rest = text.substr(1, text.size() - 2);
  while (!rest.empty()) {
    if (rest.front() != '"') return false;
    const std::size_t close = rest.find('"', 1);
    if (close == std::string_view::npos) return false;
    ids->push_back(WithoutXmlEscapes(rest.substr(1, close - 1)));
    rest.remove_prefix(close + 1);
    if (rest.empty()) break;
    if (rest.front() != ',') return false;
    rest = Trim(rest.substr(1));
    if (rest.empty()) return false;
  }
  return true;
}

}  // namespace

bool IsWmicPropertyName(std::string_view name) {
  if (name.empty()) return false;
  for (char c : name) {
    if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
          (c >= '0' && c <= '9') || c == '_'))
      return false;
  }
  return true;
}

bool TakeWmicProperty(std::string_view name, std::string_view value,
                      WmicRecord* record) {
  std::string_view* const fields[] = {&record->deviceId, &record->pnpDeviceId,
                                      &record->hardwareId};
  const char* const names[] = {"DeviceID", "PNPDeviceID", "HardwareID"};
  for (std::size_t i = 0; i < 3; ++i) {
    if (!SameLetters(name, names[i])) continue;
    *fields[i] = value;
    return true;
  }
  return false;
}

bool AddWmicRecord(const WmicRecord& record, const char* format,
                   PciDevices* devices, CaptureError* error) {
  std::string instanceId = WithoutXmlEscapes(record.pnpDeviceId);
  if (!IsPciInstanceId(instanceId))
    instanceId = WithoutXmlEscapes(record.deviceId);
  if (!IsPciInstanceId(instanceId)) return true;
  std::vector<std::string> ids;
  if (!record.hardwareId.empty()) {
    bool allIds = SplitArray(record.hardwareId, &ids) && !ids.empty();
    for (const std::string& id : ids) allIds = allIds && IsHardwareId(id);
    if (!allIds)
      return Fail(record.line,
                  "expected HardwareID to hold an array of hardware IDs such "
                  "as {\"PCI\\VEN_8086&amp;DEV_1237\",\"PCI\\VEN_8086\"} (" +
                      std::string(format) + "), found " +
                      QuotedExcerpt(record.hardwareId),
                  error);
  }
  devices->Add(instanceId, std::move(ids), kOnlyInstanceId);
  return true;
}

bool FailWithoutPciDevice(int line, const char* format, CaptureError* error) {
  return Fail(line,
              std::string("expected at least one PCI device (") + format +
                  " with DeviceID or PNPDeviceID, an instance ID beginning "
                  "PCI\\), found none",
              error);
}

namespace {

const char kList[] = "wmic /format:list";

// "Property=Value", the value maybe empty.
bool SplitProperty(std::string_view line, Field* field) {
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos ||
      !IsWmicPropertyName(line.substr(0, equals)))
    return false;
  *field = Field{line.substr(0, equals), Trim(line.substr(equals + 1))};
  return true;
}

}  // namespace

bool LooksLikeWmicList(const LineCursor& first) {
  Field field;
  return SplitProperty(Trim(first.line()), &field);
}

bool ReadWmicList(std::string_view text, Devices* devices, CaptureError* error) {
  PciDevices found;
  WmicRecord record;
  int recordLine = 0;  // 0 between records
  LineCursor lines(text);
  auto finish = [&]() {
    if (recordLine == 0) return true;
    record.line = recordLine;
    const bool added = AddWmicRecord(record, kList, &found, error);
    record = WmicRecord();
    recordLine = 0;
    return added;
  };
  while (lines.Next()) {
    const std::string_view line = Trim(lines.line());
    if (line.empty()) {
      if (!finish()) return false;
      continue;
    }
    Field field;
    if (!SplitProperty(line, &field))
      return Fail(lines.number(),
                  "expected \"Property=value\" such as \"DeviceID=PCI\\VEN_8086"
                  "&amp;DEV_1237\\3&amp;267A616A&amp;0&amp;00\" (wmic "
                  "/format:list), found " + QuotedExcerpt(line),
                  error);
    if (recordLine == 0) recordLine = lines.number();
    TakeWmicProperty(field.name, field.value, &record);
  }
  if (!finish()) return false;
  if (found.empty()) return FailWithoutPciDevice(lines.number(), kList, error);
  *devices = found.Take();
  return true;
}

}  // namespace pomvarin::check::capture
