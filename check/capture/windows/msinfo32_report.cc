// msinfo32 /report: a title line ("System Information report written
// at: ..." in the system's language), then "[Category]" lines, each over a
// table of tab-separated fields (blanks where the report was pasted). PCI
// devices stand in it as instance IDs alone, in whichever column the
// category's words name them (PNP Device ID, Device ID, ...): they are read
// by their shape, whatever the language.
#include "check/capture/capture_formats.h"
#include "check/capture/windows/windows_devices.h"

namespace pomvarin::check::capture {

namespace {

bool IsCategory(std::string_view line) {
  line = Trim(line);
  return line.size() > 2 && line.front() == '[' && line.back() == ']' &&
         line.find('\t') == std::string_view::npos;
}

}  // namespace

// A category, on the first line or below the title and the system's name.
bool LooksLikeMsinfo32Report(const LineCursor& first) {
  if (IsCategory(first.line())) return true;
  if (first.line().find(": ") == std::string_view::npos) return false;
  LineCursor next = first;
  for (int seen = 0; seen < 2 && next.Next();) {
    if (Trim(next.line()).empty()) continue;
    if (IsCategory(next.line())) return true;
    if (next.line().find(": ") == std::string_view::npos) return false;
    ++seen;
  }
  return false;
}

bool ReadMsinfo32Report(std::string_view text, Devices* devices,
                        CaptureError* error) {
  PciDevices found;
  LineCursor lines(text);
  while (lines.Next()) {
    std::string_view rest = lines.line(), word;
    while (NextWord(&rest, &word))
      found.Add(word, {}, kOnlyInstanceId);
  }
  if (found.empty())
    return Fail(lines.number(),
                "expected at least one PCI device, an instance ID beginning "
                "PCI\\ (msinfo32 /report), found none",
                error);
  *devices = found.Take();
  return true;
}

}  // namespace pomvarin::check::capture
