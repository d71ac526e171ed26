// devcon, the driver kit's device console (English only): "hwids" prints
// each device's instance ID at the start of a line, then indented its name
// and its IDs under "Hardware IDs:" ("Hardware ID's:" in older builds) and
// "Compatible IDs:"; "find", "findall" and "listclass" print one device a
// line, its instance ID padded, ": " and its name.
#include <string>
#include <utility>
#include <vector>

#include "check/capture/capture_formats.h"
#include "check/capture/windows/windows_devices.h"

namespace pomvarin::check::capture {

namespace {

const char kHwids[] = "devcon hwids";
const char kFind[] = "devcon find, findall or listclass";

// devcon's words about the devices rather than a device: its last line,
// "12 matching device(s) found." ("No matching devices found."),
// listclass's first, "Listing 3 devices in setup class ...", and hwids'
// "No hardware/compatible IDs found for this device.".
bool IsSummary(std::string_view line) {
  const std::string_view end = "matching device(s) found.";
  return (line.size() >= end.size() &&
          line.substr(line.size() - end.size()) == end) ||
         line.substr(0, 8) == "Listing " || line.substr(0, 3) == "No ";
}

bool IsLoneInstanceId(std::string_view line) {
  return !line.empty() && !IsBlank(line[0]) && IsInstanceId(Trim(line));
}

// The instance ID of a find line, before its ": name"; empty for any other
// line.
std::string_view FoundInstanceId(std::string_view line) {
  const std::size_t colon = line.find(':');
  if (colon == std::string_view::npos ||
      (colon + 1 < line.size() && !IsBlank(line[colon + 1])))
    return {};
  const std::string_view id = Trim(line.substr(0, colon));
  return IsInstanceId(id) ? id : std::string_view();
}

enum class HwidsLabel { kNone, kName, kHardware, kCompatible };

HwidsLabel LabelOf(std::string_view line) {
  const std::string_view label = Trim(line);
  if (label.substr(0, 5) == "Name:") return HwidsLabel::kName;
  if (label == "Hardware IDs:" || label == "Hardware ID's:")
    return HwidsLabel::kHardware;
  if (label == "Compatible IDs:" || label == "Compatible ID's:")
    return HwidsLabel::kCompatible;
  return HwidsLabel::kNone;
}

}  // namespace

bool LooksLikeDevconHwids(const LineCursor& first) {
  if (!IsLoneInstanceId(first.line())) return false;
  LineCursor next = first;
  while (next.Next())
    if (!Trim(next.line()).empty())
      return IsBlank(next.line()[0]) && LabelOf(next.line()) != HwidsLabel::kNone;
  return false;
}

bool ReadDevconHwids(std::string_view text, Devices* devices,
                     CaptureError* error) {
  PciDevices found;
  std::string_view instanceId;
  int deviceLine = 0;
  std::vector<std::string> ids;
  HwidsLabel label = HwidsLabel::kNone;
  auto finish = [&]() {
    if (deviceLine != 0) found.Add(instanceId, std::move(ids), kOnlyInstanceId);
    ids.clear();
    deviceLine = 0;
  };
  LineCursor lines(text);
  while (lines.Next()) {
    const std::string_view line = lines.line(), trimmed = Trim(line);
    if (trimmed.empty()) continue;
    if (IsLoneInstanceId(line)) {
      finish();
      instanceId = trimmed;
      deviceLine = lines.number();
      label = HwidsLabel::kNone;
      continue;
    }
    if (IsSummary(trimmed)) continue;
    const HwidsLabel labelled = LabelOf(line);
    if (deviceLine != 0 && IsBlank(line[0]) && labelled != HwidsLabel::kNone) {
      label = labelled;
      continue;
    }
    // Other buses' IDs take other shapes (ACPI's "*PNP0A03"); a PCI
    // device's hardware IDs are each ENUMERATOR\ID.
    const bool pciId = IsHardwareId(trimmed);
    if (deviceLine != 0 && IsBlank(line[0]) &&
        (label == HwidsLabel::kHardware || label == HwidsLabel::kCompatible) &&
        trimmed.find_first_of(" \t") == std::string_view::npos &&
        (pciId || !IsPciInstanceId(instanceId))) {
      if (label == HwidsLabel::kHardware) ids.emplace_back(trimmed);
      continue;
    }
    return Fail(lines.number(),
                "expected a device's instance ID at the start of a line, or "
                "indented its \"Name:\", \"Hardware IDs:\", \"Compatible "
                "IDs:\" and their IDs (devcon hwids), found " +
                    QuotedExcerpt(trimmed),
                error);
  }
  finish();
  if (found.empty())
    return Fail(lines.number(),
                std::string("expected at least one PCI device, an instance ID "
                            "beginning PCI\\ (") + kHwids + "), found none",
                error);
  *devices = found.Take();
  return true;
}

bool LooksLikeDevconFind(const LineCursor& first) {
  const std::string_view line = Trim(first.line());
  if (!FoundInstanceId(line).empty()) return true;
  if (line.substr(0, 8) != "Listing ") return false;
  LineCursor next = first;
  while (next.Next())
    if (!Trim(next.line()).empty()) return !FoundInstanceId(next.line()).empty();
  return false;
}

bool ReadDevconFind(std::string_view text, Devices* devices,
                    CaptureError* error) {
  PciDevices found;
  LineCursor lines(text);
  while (lines.Next()) {
    const std::string_view line = Trim(lines.line());
    if (line.empty()) continue;
    const std::string_view instanceId = FoundInstanceId(line);
    if (!instanceId.empty()) {
      found.Add(instanceId, {}, kOnlyInstanceId);
      continue;
    }
    if (IsSummary(line)) continue;
    return Fail(lines.number(),
                "expected a device's instance ID, \": \" and its name such as "
                "\"PCI\\VEN_8086&DEV_1237&SUBSYS_00000000&REV_02\\3&267A616A&0&"
                "00: Intel 82441FX\" (" + std::string(kFind) + "), found " +
                    QuotedExcerpt(line),
                error);
  }
  if (found.empty())
    return Fail(lines.number(),
                std::string("expected at least one PCI device, an instance ID "
                            "beginning PCI\\ (") + kFind + "), found none",
                error);
  *devices = found.Take();
  return true;
}

}  // namespace pomvarin::check::capture
