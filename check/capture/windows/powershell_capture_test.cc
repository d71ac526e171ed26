// PowerShell's captures (Format-List, Export-Csv, ConvertTo-Json) as each
// system's PowerShell writes them, exports of many machines, and what is
// refused.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "check/capture/capture.h"
#include "check/capture/capture_formats.h"
#include "check/command.h"
#include "tests/temp_disc.h"

namespace pomvarin::check {
namespace {

using Ids = std::vector<std::string>;

// How PowerShell's text reaches the file.
enum class Saved {
  kUtf16,  // Windows PowerShell's ">" and Out-File: UTF-16LE, a mark, CRLF
  kAscii,  // Windows PowerShell's Export-Csv: bytes, CRLF
  kUtf8,   // PowerShell 7: UTF-8 without a mark, CRLF
};

std::string Saving(const std::string& text, Saved saved) {
  std::string lines;
  for (char c : text) lines += c == '\n' ? std::string("\r\n") : std::string(1, c);
  if (saved != Saved::kUtf16) return lines;
  std::string bytes = "\xFF\xFE";
  for (std::size_t i = 0; i < lines.size(); ++i) {
    // The cases' few other letters are UTF-8 of two or three bytes.
    unsigned c = static_cast<unsigned char>(lines[i]);
    if (c >= 0xE0) {
      c = (c & 0x0F) << 12 | (lines[i + 1] & 0x3F) << 6 | (lines[i + 2] & 0x3F);
      i += 2;
    } else if (c >= 0xC0) {
      c = (c & 0x1F) << 6 | (static_cast<unsigned char>(lines[++i]) & 0x3F);
    }
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  return bytes;
}

// One object as Format-List writes it: names padded to the longest, a value
// longer than the line wrapped mid-ID onto lines indented to its column.
std::string ListObject(
    const std::vector<std::pair<std::string, std::string>>& properties,
    std::size_t width = 80) {
  std::size_t longest = 0;
  for (const auto& property : properties)
    longest = std::max(longest, property.first.size());
  const std::size_t column = longest + 3, room = width - column;
  std::string text;
  for (const auto& [name, value] : properties) {
    text += name + std::string(longest - name.size(), ' ') + " :";
    if (!value.empty()) text += ' ';
    for (std::size_t at = 0; at < value.size(); at += room)
      text += (at > 0 ? std::string(column, ' ') : "") + value.substr(at, room) + "\n";
    if (value.empty()) text += "\n";
  }
  return text + "\n";
}

// Windows' four hardware IDs of a PCI device, from VEN_..&REV_.. and its
// class.
Ids Whole(const std::string& numbers, const std::string& classCode) {
  const std::string base = numbers.substr(0, numbers.find("&SUBSYS_"));
  return {"PCI\\" + numbers, "PCI\\" + numbers.substr(0, numbers.find("&REV_")),
          "PCI\\" + base + "&CC_" + classCode,
          "PCI\\" + base + "&CC_" + classCode.substr(0, 4)};
}

std::string ListOf(const Ids& ids) {
  std::string list = "{";
  for (std::size_t i = 0; i < ids.size() && i < 4; ++i)
    list += (i > 0 ? ", " : "") + ids[i];
  return list + (ids.size() > 4 ? "...}" : "}");
}

const char kSata[] = "VEN_8086&DEV_2822&SUBSYS_2A6F103C&REV_02";
const char kSataInstance[] = "\\3&21436425&0&FA";
const char kVideo[] = "VEN_10DE&DEV_0DE1&SUBSYS_35E21458&REV_A1";
const char kVideoInstance[] = "\\4&2BB1EB8&0&0008";
// A bridge without a subsystem: older Windows lists six hardware IDs.
const Ids kBridge = {"PCI\\VEN_8086&DEV_244E&SUBSYS_00000000&REV_A2",
                     "PCI\\VEN_8086&DEV_244E&SUBSYS_00000000",
                     "PCI\\VEN_8086&DEV_244E&REV_A2", "PCI\\VEN_8086&DEV_244E",
                     "PCI\\VEN_8086&DEV_244E&CC_060401",
                     "PCI\\VEN_8086&DEV_244E&CC_0604"};
const char kBridgeInstance[] = "\\3&21436425&0&F0";

std::string Pci(const std::string& numbers, const char* instance) {
  return "PCI\\" + numbers + instance;
}

// A device as a row expects it: its IDs, and the start of its note after
// its first ID ("" for none).
struct Want {
  Ids ids;
  std::string note;
};

std::string Describe(const Devices& devices) {
  std::string text;
  for (const Device& device : devices) {
    for (const std::string& id : device.hardwareIds) text += id + " ";
    text += "[" + device.note + "]\n";
  }
  return text;
}

bool Matches(const std::vector<Want>& wants, const Devices& devices) {
  if (wants.size() != devices.size()) return false;
  for (std::size_t i = 0; i < wants.size(); ++i) {
    const std::string note =
        wants[i].note.empty() ? "" : wants[i].ids[0] + wants[i].note;
    if (devices[i].hardwareIds != wants[i].ids ||
        devices[i].note.substr(0, note.size()) != note ||
        (note.empty() && !devices[i].note.empty()))
      return false;
  }
  return true;
}

struct PowerShellCase {
  const char* name;
  const char* format;  // its row's name in the table
  Saved saved;
  std::string text;  // LF line ends
  std::vector<Want> devices;
};

const char kInstanceOnly[] = ": the capture holds its instance ID alone";
const char kCut[] = ": the capture lists its first 4 hardware IDs only";
const char kTypeName[] = ": HardwareID was written as System.String[]";

std::vector<PowerShellCase> Cases() {
  const Ids sata = Whole(kSata, "010400"), video = Whole(kVideo, "030000");
  const Ids bridgeShown(kBridge.begin(), kBridge.begin() + 4);
  const std::string wmiPath =
      "\\\\WIN7PC\\root\\cimv2:Win32_PnPEntity.DeviceID=\"PCI\\\\VEN_8086&DEV_2822"
      "&SUBSYS_2A6F103C&REV_02\\\\3&21436425&0&FA\"";
  return {
      // Get-WmiObject's system properties first; the SATA controller's
      // DeviceID and __PATH wrap mid-ID; the bridge's six IDs are cut after
      // four; a USB hub is of another bus.
      {"Windows 7, PowerShell 2.0: Get-WmiObject Win32_PnPEntity | Format-List",
       "PowerShell Format-List", Saved::kUtf16,
       "\n\n" +
           ListObject({{"__GENUS", "2"},
                       {"__CLASS", "Win32_PnPEntity"},
                       {"__SERVER", "WIN7PC"},
                       {"__PATH", wmiPath},
                       {"Caption", "Intel(R) ICH8 SATA RAID Controller"},
                       {"CompatibleID", "{PCI\\VEN_8086&DEV_2822&REV_02, PCI\\VEN_8086&DEV_2822, PCI\\VEN_8086&CC_010400, PCI\\VEN_8086&CC_0104...}"},
                       {"DeviceID", Pci(kSata, kSataInstance)},
                       {"HardwareID", ListOf(sata)},
                       {"PNPDeviceID", Pci(kSata, kSataInstance)},
                       {"PowerManagementCapabilities", ""}}) +
           ListObject({{"__GENUS", "2"},
                       {"__SERVER", "WIN7PC"},
                       {"DeviceID", "USB\\ROOT_HUB20\\4&2A0E8B2F&0"},
                       {"HardwareID", "{USB\\ROOT_HUB20&VID8086&PID2836&REV0002, USB\\ROOT_HUB20&VID8086&PID2836, USB\\ROOT_HUB20}"}}) +
           ListObject({{"__GENUS", "2"},
                       {"__SERVER", "WIN7PC"},
                       {"DeviceID", "PCI\\VEN_8086&DEV_244E&SUBSYS_00000000&REV_A2" + std::string(kBridgeInstance)},
                       {"HardwareID", ListOf(kBridge)}}) + "\n",
       {{sata, ""}, {bridgeShown, kCut}}},
      // A device class: DeviceID is its own name, PNPDeviceID the device's.
      {"Windows 7, PowerShell 2.0: Get-WmiObject Win32_VideoController | Format-List",
       "PowerShell Format-List", Saved::kUtf16,
       "\n" + ListObject({{"__GENUS", "2"},
                          {"__CLASS", "Win32_VideoController"},
                          {"AdapterRAM", "1073741824"},
                          {"DeviceID", "VideoController1"},
                          {"PNPDeviceID", Pci(kVideo, kVideoInstance)}}),
       {{{"PCI\\" + std::string(kVideo)}, kInstanceOnly}}},
      // The list wrapped at a blank between two IDs, as a wider value is.
      {"Windows 10, PowerShell 5.1: Get-PnpDevice -PresentOnly | Format-List",
       "PowerShell Format-List", Saved::kUtf16,
       "\n\nCaption                     : Intel(R) 82801HR SATA\n"
       "Status                      : OK\n"
       "InstanceId                  : " + Pci(kSata, kSataInstance) + "\n"
       "HardwareID                  : {PCI\\VEN_8086&DEV_2822&SUBSYS_2A6F103C&REV_02,\n"
       "                              PCI\\VEN_8086&DEV_2822&SUBSYS_2A6F103C, PCI\\VEN_8086&DEV_2822&CC_010400,\n"
       "                              PCI\\VEN_8086&DEV_2822&CC_0104}\n"
       "Present                     : True\n"
       "PSComputerName              :\n\n\n",
       {{sata, ""}}},
      // CIM_LogicalDevice lists the display adapter as a video controller
      // first, then as the PnP entity with its IDs: one device, whole.
      {"Windows 10, PowerShell 5.1: Get-CimInstance CIM_LogicalDevice | Format-List",
       "PowerShell Format-List", Saved::kUtf16,
       ListObject({{"DeviceID", "VideoController1"},
                   {"PNPDeviceID", Pci(kVideo, kVideoInstance)},
                   {"PSComputerName", ""}}) +
           ListObject({{"Caption", "NVIDIA GeForce GT 640"},
                       {"DeviceID", Pci(kVideo, kVideoInstance)},
                       {"HardwareID", ListOf(video)},
                       {"PNPDeviceID", Pci(kVideo, kVideoInstance)},
                       {"PSComputerName", ""}}),
       {{video, ""}}},
      // PowerShell 7 cuts a list with "…".
      {"PowerShell 7: Get-PnpDevice | Format-List", "PowerShell Format-List",
       Saved::kUtf8,
       "\nInstanceId : PCI\\VEN_8086&DEV_244E&SUBSYS_00000000&REV_A2" +
           std::string(kBridgeInstance) + "\nHardwareID : {" + kBridge[0] +
           ", " + kBridge[1] + ", " + kBridge[2] + ", " + kBridge[3] +
           "\xE2\x80\xA6}\nFriendlyName : Intel(R) 82801 PCI-Brücke\n",
       {{bridgeShown, kCut}}},
      {"Windows 7, PowerShell 2.0: Get-WmiObject Win32_PnPEntity | Export-Csv",
       "PowerShell Export-Csv", Saved::kAscii,
       "#TYPE System.Management.ManagementObject#root\\cimv2\\Win32_PnPEntity\n"
       "\"__GENUS\",\"__CLASS\",\"Caption\",\"DeviceID\",\"HardwareID\",\"Name\"\n"
       "\"2\",\"Win32_PnPEntity\",\"Intel(R) ICH8 SATA\",\"" + Pci(kSata, kSataInstance) +
           "\",\"System.String[]\",\"Intel(R) \"\"ICH8\"\"\nSATA\"\n"
       "\"2\",\"Win32_PnPEntity\",\"Root hub\",\"USB\\ROOT_HUB20\\4&2A0E8B2F&0\",\"System.String[]\",\"Root hub\"\n",
       {{{"PCI\\" + std::string(kSata)}, kTypeName}}},
      {"Windows 10, PowerShell 5.1: Get-CimInstance Win32_PnPEntity | Export-Csv",
       "PowerShell Export-Csv", Saved::kAscii,
       "#TYPE Microsoft.Management.Infrastructure.CimInstance#root/cimv2/Win32_PnPEntity\n"
       "\"Caption\",\"DeviceID\",\"HardwareID\",\"PNPDeviceID\",\"PSComputerName\"\n"
       "\"NVIDIA GeForce GT 640\",\"" + Pci(kVideo, kVideoInstance) +
           "\",\"System.String[]\",\"" + Pci(kVideo, kVideoInstance) + "\",\n",
       {{{"PCI\\" + std::string(kVideo)}, kTypeName}}},
      // The list joined before the export; no #TYPE line in PowerShell 7.
      {"PowerShell 7: Get-PnpDevice | Select-Object with HardwareID -join | Export-Csv",
       "PowerShell Export-Csv", Saved::kUtf8,
       "\"InstanceId\",\"HardwareID\",\"FriendlyName\"\n"
       "\"" + Pci(kSata, kSataInstance) + "\",\"" + sata[0] + " " + sata[1] +
           " " + sata[2] + " " + sata[3] + "\",\"SATA-Controller für Intel\"\n",
       {{sata, ""}}},
      // Windows PowerShell writes "&" as \u0026 and two blanks after ":";
      // Get-PnpDevice's objects carry nested CIM objects.
      {"Windows 10, PowerShell 5.1: Get-PnpDevice | ConvertTo-Json",
       "PowerShell ConvertTo-Json", Saved::kUtf16,
       "[\n    {\n        \"Caption\":  \"Intel(R) 82801HR SATA\",\n"
       "        \"HardwareID\":  [\n"
       "                           \"PCI\\\\VEN_8086\\u0026DEV_2822\\u0026SUBSYS_2A6F103C\\u0026REV_02\",\n"
       "                           \"PCI\\\\VEN_8086\\u0026DEV_2822\\u0026SUBSYS_2A6F103C\",\n"
       "                           \"PCI\\\\VEN_8086\\u0026DEV_2822\\u0026CC_010400\",\n"
       "                           \"PCI\\\\VEN_8086\\u0026DEV_2822\\u0026CC_0104\"\n"
       "                       ],\n"
       "        \"InstanceId\":  \"PCI\\\\VEN_8086\\u0026DEV_2822\\u0026SUBSYS_2A6F103C\\u0026REV_02\\\\3\\u002621436425\\u00260\\u0026FA\",\n"
       "        \"ConfigManagerErrorCode\":  0,\n        \"Present\":  true,\n"
       "        \"CimClass\":  {\"CimSuperClassName\":  \"CIM_LogicalDevice\", \"CimClassQualifiers\":  [\"dynamic\", \"provider\"]},\n"
       "        \"PSComputerName\":  null\n    },\n"
       "    {\n        \"InstanceId\":  \"ACPI\\\\PNP0A08\\\\0\",\n"
       "        \"HardwareID\":  [\"ACPI\\\\PNP0A08\", \"*PNP0A08\"]\n    },\n"
       "    {\n        \"InstanceId\":  \"" "PCI\\\\VEN_10DE\\u0026DEV_0DE1\\u0026SUBSYS_35E21458\\u0026REV_A1\\\\4\\u00262BB1EB8\\u00260\\u00260008\",\n"
       "        \"HardwareID\":  null\n    }\n]\n",
       {{sata, ""},
        {{"PCI\\" + std::string(kVideo)}, kInstanceOnly}}},
      {"PowerShell 7: Get-PnpDevice -InstanceId ... | ConvertTo-Json",
       "PowerShell ConvertTo-Json", Saved::kUtf8,
       "{\n  \"InstanceId\": \"" "PCI\\\\VEN_10DE&DEV_0DE1&SUBSYS_35E21458&REV_A1\\\\4&2BB1EB8&0&0008\",\n"
       "  \"FriendlyName\": \"NVIDIA GeForce GT 640 \\u2013 HDMI\",\n"
       "  \"HardwareID\": [\n    \"PCI\\\\VEN_10DE&DEV_0DE1&SUBSYS_35E21458&REV_A1\",\n"
       "    \"PCI\\\\VEN_10DE&DEV_0DE1&SUBSYS_35E21458\",\n"
       "    \"PCI\\\\VEN_10DE&DEV_0DE1&CC_030000\",\n    \"PCI\\\\VEN_10DE&DEV_0DE1&CC_0300\"\n  ],\n"
       "  \"CimInstanceProperties\": [\"Caption = NVIDIA\", \"Status = OK\"]\n}\n",
       {{video, ""}}},
  };
}

TEST(PowerShellCapturesTest, EveryFormatOfEverySystemGivesItsPciDevices) {
  for (const PowerShellCase& c : Cases()) {
    SCOPED_TRACE(c.name);
    Devices devices;
    CaptureError error;
    ASSERT_TRUE(ReadDeviceCapture(Saving(c.text, c.saved), &devices, &error))
        << "line " << error.line << ": " << error.message;
    EXPECT_TRUE(Matches(c.devices, devices)) << Describe(devices);
    // The same text as the other PowerShell writes it.
    const Saved other = c.saved == Saved::kUtf16 ? Saved::kUtf8 : Saved::kUtf16;
    Devices again;
    ASSERT_TRUE(ReadDeviceCapture(Saving(c.text, other), &again, &error))
        << "line " << error.line << ": " << error.message;
    EXPECT_TRUE(Matches(c.devices, again)) << Describe(again);
  }
}

TEST(PowerShellCapturesTest, EveryCaptureLooksLikeItsOwnFormatOnly) {
  for (const PowerShellCase& c : Cases()) {
    capture::LineCursor first(c.text);
    while (first.Next() && capture::Trim(first.line()).empty()) {
    }
    for (const capture::CaptureFormat& format : capture::CaptureFormats())
      EXPECT_EQ(format.looksLike(first), format.name == std::string(c.format))
          << c.name << " looked at as " << format.name;
  }
}

TEST(PowerShellCapturesTest, WhatIsNoCaptureIsRefusedAtItsLine) {
  const std::string sata = Pci(kSata, kSataInstance);
  std::string deep = "[";
  for (int i = 0; i < 150; ++i) deep += "{\"a\": [";
  const struct {
    const char* name;
    std::string text;
    int line;
    const char* expected;
  } cases[] = {
      {"Get-PnpDevice's table",
       "\nStatus     Class           FriendlyName                InstanceId\n"
       "------     -----           ------------                ----------\n"
       "OK         HDC             Intel(R) 82801HR SATA       PCI\\VEN_8086...\n",
       2, "Format-List InstanceId,HardwareID"},
      {"PowerShell 7's table",
       "Status     Class     FriendlyName     InstanceId\n"
       "------     -----     ------------     ----------\n"
       "OK         HDC       Intel SATA       PCI\\VEN_8086&DEV_2822&SUBSYS_2A…\n",
       1, "cuts the IDs to the window"},
      {"a second object without an ID",
       "InstanceId : " + sata + "\n\nName : explorer\nId   : 4242\n", 3,
       "an object with InstanceId, DeviceID, PNPDeviceID or HardwareID (Format-List)"},
      {"a stray line in a list", "InstanceId : " + sata + "\nstray\n", 2,
       "wrapped value indented"},
      {"hardware IDs of another shape",
       "InstanceId : " + sata + "\nHardwareID : {PCI VEN 8086}\n", 2,
       "hardware IDs such as"},
      {"a list of other buses only", "DeviceID : USB\\ROOT_HUB20\\4&2A0E8B2F&0\n",
       1, "at least one PCI device"},
      {"a record short of values",
       "\"InstanceId\",\"FriendlyName\"\n\"" + sata + "\",\"SATA\"\n\"" + sata + "\"\n",
       3, "expected 2 values"},
      {"a quote never closed",
       "#TYPE Selected.Microsoft.Management.Infrastructure.CimInstance\n"
       "\"InstanceId\",\"FriendlyName\"\n\"" + sata + "\",\"SATA\n\n", 3,
       "closing quote"},
      {"a header without an ID", "#TYPE System.Diagnostics.Process\n\"Name\",\"Id\"\n",
       2, "a header of quoted property names"},
      {"JSON nested past its limit", deep, 1, "nested at most 100 deep"},
      {"JSON cut short", "{\n  \"InstanceId\": \"" "PCI\\\\VEN_8086", 2,
       "closing quote"},
      {"JSON of other objects", "[{\"Name\": \"explorer\"}]", 1,
       "an object with InstanceId"},
      {"two JSON documents", "{\"InstanceId\": \"x\"}\n{}", 2,
       "the end after the top value"},
  };
  for (const auto& c : cases) {
    Devices devices{{{"left alone"}, {}}};
    CaptureError error;
    EXPECT_FALSE(ReadDeviceCapture(c.text, &devices, &error)) << c.name;
    EXPECT_EQ(error.line, c.line) << c.name << ": " << error.message;
    EXPECT_NE(error.message.find(c.expected), std::string::npos)
        << c.name << ": " << error.message;
    EXPECT_EQ(devices.size(), 1u) << c.name;
  }
}

// Three machines of two configurations, as Invoke-Command gives their
// objects (interleaved); each machine's capture on its own, in a folder,
// must give the same report.
TEST(PowerShellCapturesTest, AnExportOfManyMachinesChecksAsTheirFolderDoes) {
  const std::string sata = Pci(kSata, kSataInstance);
  const std::string video = Pci(kVideo, kVideoInstance);
  const std::string bridge = kBridge[0] + kBridgeInstance;
  const std::vector<std::pair<std::string, std::vector<std::string>>> machines = {
      {"PC-A", {sata, video}}, {"PC-B", {sata, video}}, {"PC-C", {bridge}}};
  std::string csv = "\"PSComputerName\",\"InstanceId\"\n";
  std::string json = "[\n";
  std::string list;
  test::TempDisc disc;
  for (std::size_t device = 0; device < 2; ++device) {
    for (const auto& [name, ids] : machines) {
      if (device >= ids.size()) continue;
      csv += "\"" + name + "\",\"" + ids[device] + "\"\n";
      std::string escaped;
      for (char c : ids[device]) escaped += c == '\\' ? "\\\\" : std::string(1, c);
      json += std::string(json.size() > 2 ? ",\n" : "") + "  {\"InstanceId\":  \"" +
              escaped + "\", \"PSComputerName\":  \"" + name + "\"}";
      list += ListObject({{"InstanceId", ids[device]}, {"PSComputerName", name}});
    }
  }
  json += "\n]\n";
  for (const auto& [name, ids] : machines) {
    std::string own;
    for (const std::string& id : ids) own += ListObject({{"PNPDeviceID", id}});
    disc.Write("pcs/" + name, Saving(own, Saved::kUtf16));
  }
  disc.Write("disc/Pomvarin.ini",
             "[PomvarinInfo]\nVendorCount=1\n[VendorInfo1]\nVenName=NVIDIA\n"
             "VenID=10DE\nSetupFileRootDir=\\NVIDIA\nSetupFileName=s.exe\n"
             "SilentInstall=s.exe -s\n");
  disc.Write("disc/NVIDIA/s.exe");
  disc.Write("export.csv", Saving(csv, Saved::kAscii));
  disc.Write("export.json", Saving(json, Saved::kUtf16));
  disc.Write("export.txt", Saving(list, Saved::kUtf8));
  const std::string root = disc.path().string();
  struct NoLiveOutput : LiveOutput {
    void Print(const std::string&) override {}
  } live;
  const CommandResult folder =
      RunCommand("pomvarin-check", {root + "/disc", "--devices", root + "/pcs"}, live);
  EXPECT_NE(folder.out.find("3 machines in 2 configurations"), std::string::npos)
      << folder.out;
  for (const char* exported : {"export.csv", "export.json", "export.txt"}) {
    const CommandResult one = RunCommand(
        "pomvarin-check", {root + "/disc", "--devices", root + "/" + exported}, live);
    EXPECT_EQ(one.status, folder.status) << exported << one.err;
    EXPECT_EQ(one.out, folder.out) << exported;
    // --list reads one machine: an export of many is refused.
    const CommandResult list = RunCommand(
        "pomvarin-check", {"--list", "--devices", root + "/" + exported}, live);
    EXPECT_NE(list.err.find("found 3 machines (PC-A, PC-B, PC-C)"), std::string::npos)
        << list.err;
  }
}

}  // namespace
}  // namespace pomvarin::check
