// pomvarin-check's own --list form: a comment line, then one device per
// line with its hardware IDs separated by blanks, "-" for a device without
// any.
#include <utility>

#include "check/capture/capture_formats.h"

namespace pomvarin::check {

namespace capture {

namespace {

const char kListHeader[] =
    "# PCI devices, one per line: hardware IDs, most specific first\n";
const char kNoIds[] = "-";

// A hardware ID, or a longer ID of the enumerator's form.
bool IsListId(std::string_view word) { return DeviceIdParts(word) >= 2; }

}  // namespace

// devcon's lines begin with a device's instance ID too: they are told by
// the rest of their shape.
bool LooksLikeList(const LineCursor& first) {
  std::string_view line = Trim(first.line()), word;
  // Export-Csv's "#TYPE" line is no comment of this form.
  if (line[0] == '#') return line.substr(0, 6) != "#TYPE ";
  if (line == kNoIds) return true;
  return NextWord(&line, &word) && IsListId(word) &&
         !LooksLikeDevconHwids(first) && !LooksLikeDevconFind(first);
}

bool ReadList(std::string_view text, Devices* devices, CaptureError* error) {
  LineCursor lines(text);
  while (lines.Next()) {
    const std::string_view line = Trim(lines.line());
    if (line.empty() || line[0] == '#') continue;
    Device device;
    std::string_view rest = line, word;
    if (line != kNoIds) {
      while (NextWord(&rest, &word)) {
        if (!IsListId(word))
          return Fail(lines.number(),
                      "expected hardware IDs such as "
                      "PCI\\VEN_8086&DEV_1237&SUBSYS_00000000&REV_02 separated "
                      "by blanks, or \"-\" (pomvarin-check --list), found " +
                          QuotedExcerpt(word),
                      error);
        device.hardwareIds.emplace_back(word);
      }
    }
    devices->push_back(std::move(device));
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

bool IsDeviceListOf(std::string_view text, const Devices& devices) {
  const auto take = [&text](std::string_view part) {
    if (text.substr(0, part.size()) != part) return false;
    text.remove_prefix(part.size());
    return true;
  };
  if (!take(capture::kListHeader)) return false;
  for (const Device& device : devices) {
    if (device.hardwareIds.empty() && !take(capture::kNoIds)) return false;
    for (std::size_t i = 0; i < device.hardwareIds.size(); ++i) {
      if ((i > 0 && !take(" ")) || !take(device.hardwareIds[i])) return false;
    }
    if (!take("\n")) return false;
  }
  return text.empty();
}

}  // namespace pomvarin::check
