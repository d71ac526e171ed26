// pomvarin-check's own --list form: a comment line, then one device per
// line with its hardware IDs separated by blanks, "-" for a device without
// any.
#include "check/capture/capture_formats.h"

namespace pomvarin::check {

namespace capture {

namespace {

const char kListHeader[] =
    "# PCI devices, one per line: hardware IDs, most specific first\n";
const char kNoIds[] = "-";

// A hardware ID, or a longer ID of the enumerator's form.
bool IsListId(const std::string& word) { return DeviceIdParts(word) >= 2; }

}  // namespace

bool LooksLikeList(const Lines& lines, std::size_t first) {
  const std::string line = Trim(lines[first]);
  if (line[0] == '#' || line == kNoIds) return true;
  return IsListId(Words(line)[0]);
}

bool ReadList(const Lines& lines, Devices* devices, CaptureError* error) {
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
                          QuotedExcerpt(word),
                      error);
        device.hardwareIds.push_back(word);
      }
    }
    devices->push_back(device);
  }
  return true;
}

}  // namespace capture

std::string FormatDeviceList(const Devices& devices) {
  std::string text = capture::kListHeader;
  for (const Device& device : devices) {
    if (device.hardwareIds.empty()) text += capture::kNoIds;
    for (std::size_t i = 0; i < device.hardwareIds.size(); ++i) {
      if (i > 0) text += ' ';
      text += device.hardwareIds[i];
    }
    text += '\n';
  }
  return text;
}

}  // namespace pomvarin::check
