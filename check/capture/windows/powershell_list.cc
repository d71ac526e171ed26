// PowerShell's Format-List of device objects (Get-PnpDevice, Get-WmiObject
// and Get-CimInstance of Win32_PnPEntity and the device classes):
// "Name<blanks> : value" lines, objects between blank lines, a long value
// wrapped onto lines indented to the value's column, lists as
// "{a, b, c, d...}" cut after $FormatEnumerationLimit items.
#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "check/capture/capture_formats.h"
#include "check/capture/windows/powershell_object.h"

namespace pomvarin::check::capture {

namespace {

const char kFormat[] = "Format-List";

bool IsNameCharacter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
         (c >= '0' && c <= '9') || c == '_' || c == '-' || c == '.';
}

// "Name : value": the name at the line's start, padded with blanks to the
// colon; the colon is followed by a blank or ends the line.
std::optional<Field> SplitProperty(std::string_view line) {
  std::size_t end = 0;
  while (end < line.size() && IsNameCharacter(line[end])) ++end;
  std::size_t colon = end;
  while (colon < line.size() && line[colon] == ' ') ++colon;
  if (end == 0 || colon == end || colon == line.size() || line[colon] != ':' ||
      (colon + 1 < line.size() && line[colon + 1] != ' '))
    return std::nullopt;
  return Field{line.substr(0, end), Trim(line.substr(colon + 1))};
}

bool IsIdProperty(PowerShellProperty property) {
  return property != PowerShellProperty::kOther &&
         property != PowerShellProperty::kComputer;
}

// The IDs of a HardwareID value: "{a, b, c, d...}" or one ID alone; cut
// when the list ends in "..." (or "…", as PowerShell 7 writes it).
void SplitIdList(std::string_view value, std::vector<std::string>* ids,
                 bool* cut) {
  *cut = false;
  if (value.size() >= 2 && value.front() == '{' && value.back() == '}')
    value = value.substr(1, value.size() - 2);
  for (const std::string_view dots : {"...", "\xE2\x80\xA6"}) {
    if (value.size() >= dots.size() &&
        value.substr(value.size() - dots.size()) == dots) {
      value.remove_suffix(dots.size());
      *cut = true;
    }
  }
  while (!value.empty()) {
    const std::size_t comma = std::min(value.find(','), value.size());
    const std::string_view id = Trim(value.substr(0, comma));
    if (!id.empty()) ids->emplace_back(id);
    value.remove_prefix(std::min(comma + 1, value.size()));
  }
}

}  // namespace

bool LooksLikePowerShellList(const LineCursor& first) {
  // The first object must name its device: a list of other objects is no
  // capture.
  if (!SplitProperty(first.line())) return false;
  LineCursor next = first;
  do {
    const std::string_view line = next.line();
    if (Trim(line).empty()) return false;
    if (IsBlank(line[0])) continue;  // a wrapped value
    const std::optional<Field> property = SplitProperty(line);
    if (!property) return false;
    if (IsIdProperty(PowerShellPropertyOf(property->name))) return true;
  } while (next.Next());
  return false;
}

bool ReadPowerShellList(std::string_view text, CapturedMachines* machines,
                        CaptureError* error) {
  PowerShellMachines collected;
  std::optional<PowerShellObject> object;
  int objectLine = 0;
  PowerShellProperty property = PowerShellProperty::kOther;
  std::string value;  // the property's value, its wrapped lines joined
  int propertyLine = 0;
  auto finishProperty = [&]() {
    if (property == PowerShellProperty::kHardwareId) {
      std::vector<std::string> ids;
      bool cut;
      SplitIdList(value, &ids, &cut);
      object->SetHardwareIds(std::move(ids), cut, propertyLine);
    } else if (property != PowerShellProperty::kOther) {
      object->SetText(property, value);
    }
    property = PowerShellProperty::kOther;
  };
  auto finishObject = [&]() {
    if (!object) return true;
    finishProperty();
    if (!object->NamesDevice())
      return Fail(objectLine,
                  std::string("expected an object with ") +
                      kPowerShellIdProperties +
                      " (Format-List), found one without any",
                  error);
    if (!object->AddTo(&collected, kFormat, error)) return false;
    object.reset();
    return true;
  };
  LineCursor lines(text);
  while (lines.Next()) {
    const std::string_view line = lines.line();
    const std::string_view trimmed = Trim(line);
    if (trimmed.empty()) {
      if (!finishObject()) return false;
      continue;
    }
    if (IsBlank(line[0]) && object) {
      // A long value goes on at the value's column: joined as it was.
      if (property != PowerShellProperty::kOther) value += trimmed;
      continue;
    }
    const std::optional<Field> field = SplitProperty(line);
    if (!field)
      return Fail(lines.number(),
                  "expected a property such as \"InstanceId : PCI\\VEN_8086&"
                  "DEV_2822&SUBSYS_2A6F103C&REV_02\\3&21436425&0&FA\" or a "
                  "wrapped value indented below one (Format-List), found " +
                      QuotedExcerpt(trimmed),
                  error);
    if (!object) {
      object.emplace(lines.number());
      objectLine = lines.number();
    } else {
      finishProperty();
    }
    property = PowerShellPropertyOf(field->name);
    value.assign(field->value);
    propertyLine = lines.number();
  }
  if (!finishObject()) return false;
  if (!collected.AnyDevice())
    return Fail(std::max(lines.number(), 1),
                "expected at least one PCI device (an instance ID beginning "
                "PCI\\), found none",
                error);
  *machines = collected.Take();
  return true;
}

}  // namespace pomvarin::check::capture
