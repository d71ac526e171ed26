// PowerShell's default table of devices (Get-PnpDevice, or any table with
// an ID column): its IDs are cut to the window ("PCI\VEN_8086...", "…" in
// PowerShell 7), so it is refused with the command that writes them whole.
#include <algorithm>

#include "check/capture/capture_formats.h"
#include "check/capture/windows/powershell_object.h"

namespace pomvarin::check::capture {

namespace {

bool IsRule(std::string_view line) {
  const std::string_view trimmed = Trim(line);
  if (trimmed.empty() || trimmed[0] != '-') return false;
  for (char c : trimmed)
    if (c != '-' && c != ' ') return false;
  return true;
}

}  // namespace

// Column names, one of them an ID's, over a rule of dashes.
bool LooksLikePowerShellTable(const LineCursor& first) {
  std::string_view rest = first.line(), word;
  bool idColumn = false;
  while (NextWord(&rest, &word)) {
    const PowerShellProperty property = PowerShellPropertyOf(word);
    idColumn = idColumn || (property != PowerShellProperty::kOther &&
                            property != PowerShellProperty::kComputer);
  }
  LineCursor next = first;
  return idColumn && next.Next() && IsRule(next.line());
}

bool ReadPowerShellTable(std::string_view text, Devices*, CaptureError* error) {
  LineCursor first(text);
  while (first.Next() && Trim(first.line()).empty()) {
  }
  return Fail(std::max(first.number(), 1),
              "expected Format-List, Export-Csv or ConvertTo-Json output, "
              "found PowerShell's table, which cuts the IDs to the window: run "
              "Get-PnpDevice -PresentOnly | Format-List InstanceId,HardwareID "
              "> devices.txt (Windows 7: Get-WmiObject Win32_PnPEntity | "
              "Format-List DeviceID > devices.txt)",
              error);
}

}  // namespace pomvarin::check::capture
