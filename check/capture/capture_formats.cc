#include "check/capture/capture_formats.h"

namespace pomvarin::check::capture {

const std::vector<CaptureFormat>& CaptureFormats() {
  // No text looks like two of them; pnputil's shape is the loosest and so
  // comes last.
  static const std::vector<CaptureFormat> formats = {
      {"lspci -vmm -nn", LooksLikeLspci, ReadLspci},
      {"pomvarin-check --list", LooksLikeList, ReadList},
      {"PowerShell Format-List", LooksLikePowerShellList, nullptr,
       ReadPowerShellList},
      {"PowerShell Export-Csv", LooksLikePowerShellCsv, nullptr,
       ReadPowerShellCsv},
      {"PowerShell ConvertTo-Json", LooksLikePowerShellJson, nullptr,
       ReadPowerShellJson},
      {"PowerShell's table", LooksLikePowerShellTable, ReadPowerShellTable,
       nullptr, false},
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
    "properties, a header of properties, a \"[Category]\", <MsInfo>, "
    "\"Property : value\", \"#TYPE\", a quoted header, JSON or a device's "
    "instance ID";

std::string CaptureFormatNames() {
  std::vector<const char*> named;
  for (const CaptureFormat& format : CaptureFormats())
    if (format.named) named.push_back(format.name);
  std::string names;
  for (std::size_t i = 0; i < named.size(); ++i) {
    if (i > 0) names += i + 1 == named.size() ? " or " : ", ";
    names += named[i];
  }
  return names;
}

}  // namespace pomvarin::check::capture
