#include "check/capture/capture_formats.h"

namespace pomvarin::check::capture {

const std::vector<CaptureFormat>& CaptureFormats() {
  // No text looks like two of them; pnputil's shape is the loosest and so
  // comes last.
  static const std::vector<CaptureFormat> formats = {
      {"lspci -vmm -nn", LooksLikeLspci, ReadLspci},
      {"pomvarin-check --list", LooksLikeList, ReadList},
      {"wmic /format:list or /value", LooksLikeWmicList, ReadWmicList},
      {"wmic /format:csv", LooksLikeWmicCsv, nullptr, ReadWmicCsv},
      {"wmic table (get without /format)", LooksLikeWmicTable, ReadWmicTable},
      {"msinfo32 /report", LooksLikeMsinfo32Report, ReadMsinfo32Report},
      {"msinfo32 /nfo", LooksLikeMsinfo32Nfo, ReadMsinfo32Nfo},
      {"devcon hwids", LooksLikeDevconHwids, ReadDevconHwids},
      {"devcon find, findall or listclass", LooksLikeDevconFind,
       ReadDevconFind},
      {"pnputil /enum-devices", LooksLikePnputil, ReadPnputil},
  };
  return formats;
}

// A new row names what its first line holds here too.
const char kCaptureFormatStarts[] =
    "a line of hardware IDs, \"Slot:\", \"Property=value\", \"Node,\" and "
    "properties, a header of properties, a \"[Category]\", <MsInfo> or a "
    "device's instance ID";

std::string CaptureFormatNames() {
  const std::vector<CaptureFormat>& formats = CaptureFormats();
  std::string names;
  for (std::size_t i = 0; i < formats.size(); ++i) {
    if (i > 0) names += i + 1 == formats.size() ? " or " : ", ";
    names += formats[i].name;
  }
  return names;
}

}  // namespace pomvarin::check::capture
