// The Windows tools' captures, as each system's tools write them, and the
// real wmic dumps of tests/captures-win/.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "check/capture/capture.h"
#include "check/capture/capture_formats.h"
#include "check/fleet/machines.h"
#include "tests/temp_disc.h"

namespace pomvarin::check {
namespace {

using Ids = std::vector<std::string>;

// How the tool's text reaches the file.
enum class Saved {
  kUtf16,      // cmd's "> file", /OUTPUT:, msinfo32: UTF-16LE, a mark, CRLF
  kUtf16Bare,  // the same, its mark lost
  kPiped,      // wmic piped: the OEM code page, CR CR LF
  kUtf8,       // devcon: bytes, CRLF
};

std::string Saving(const std::string& text, Saved saved) {
  std::string lines;
  for (char c : text)
    lines += c != '\n' ? std::string(1, c)
                       : saved == Saved::kPiped ? "\r\r\n" : "\r\n";
  if (saved == Saved::kPiped || saved == Saved::kUtf8) return lines;
  std::string bytes = saved == Saved::kUtf16 ? "\xFF\xFE" : "";
  for (std::size_t i = 0; i < lines.size(); ++i) {
    // The cases' few other letters are two-byte UTF-8 (U+0080..U+07FF).
    unsigned c = static_cast<unsigned char>(lines[i]);
    if (c >= 0xC0)
      c = (c & 0x1F) << 6 | (static_cast<unsigned char>(lines[++i]) & 0x3F);
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  return bytes;
}

// A device as a row expects it: its IDs, and whether its note says the
// capture holds its instance ID alone.
struct Want {
  Ids ids;
  bool noted = false;
};

bool operator==(const Want& want, const Device& device) {
  const std::string note =
      want.noted ? want.ids[0] + ": the capture holds its instance ID alone" : "";
  return device.hardwareIds == want.ids &&
         device.note.substr(0, note.size()) == note &&
         (want.noted || device.note.empty());
}

std::string Describe(const Devices& devices) {
  std::string text;
  for (const Device& device : devices) {
    for (const std::string& id : device.hardwareIds) text += id + " ";
    text += "[" + device.note + "]\n";
  }
  return text;
}

// Windows' four hardware IDs of a PCI device, from VEN_..&REV_.. and its
// class.
Ids Whole(const std::string& numbers, const std::string& classCode) {
  const std::string base = numbers.substr(0, numbers.find("&SUBSYS_"));
  return {"PCI\\" + numbers, "PCI\\" + numbers.substr(0, numbers.find("&REV_")),
          "PCI\\" + base + "&CC_" + classCode,
          "PCI\\" + base + "&CC_" + classCode.substr(0, 4)};
}

const char kSata[] = "VEN_8086&DEV_1C02&SUBSYS_844D1043&REV_05";
const char kNvidia[] = "VEN_10DE&DEV_0622&SUBSYS_827C1043&REV_A1";
const char kSound[] = "VEN_8086&DEV_266E&SUBSYS_300D103C&REV_03";

Ids First(const std::string& numbers) { return {"PCI\\" + numbers}; }

struct WindowsCase {
  const char* name;
  const char* format;  // its row's name in the table
  Saved saved;
  std::string text;    // LF line ends
  std::vector<Want> devices;
};

std::vector<WindowsCase> Cases() {
  const Want sata{Whole(kSata, "010601")};
  return {
      // CIM_LogicalDevice lists the SATA controller twice, first without
      // its HardwareID; a USB hub is of another bus.
      {"wmic /format:list, Windows 7, > file",
       "wmic /format:list or /value", Saved::kUtf16,
       "\n\nCaption=Contrôleur SATA AHCI\n"
       "DeviceID=PCI\\VEN_8086&amp;DEV_1C02&amp;SUBSYS_844D1043&amp;REV_05\\3&amp;11583659&amp;0&amp;FA\n"
       "\n\nCaption=Concentrateur USB racine\n"
       "DeviceID=USB\\ROOT_HUB20\\4&amp;2A3C3D3&amp;0\n"
       "HardwareID={\"USB\\ROOT_HUB20&amp;VID8086&amp;PID1C26\",\"USB\\ROOT_HUB20\"}\n"
       "\n\nCaption=Contrôleur SATA AHCI\n"
       "DeviceID=PCI\\VEN_8086&amp;DEV_1C02&amp;SUBSYS_844D1043&amp;REV_05\\3&amp;11583659&amp;0&amp;FA\n"
       "HardwareID={\"PCI\\VEN_8086&amp;DEV_1C02&amp;SUBSYS_844D1043&amp;REV_05\","
       "\"PCI\\VEN_8086&amp;DEV_1C02&amp;SUBSYS_844D1043\","
       "\"PCI\\VEN_8086&amp;DEV_1C02&amp;CC_010601\",\"PCI\\VEN_8086&amp;DEV_1C02&amp;CC_0106\"}\n"
       "\n\nCaption=NVIDIA GeForce GT 630\n"
       "DeviceID=PCI\\VEN_10DE&amp;DEV_0622&amp;SUBSYS_827C1043&amp;REV_A1\\4&amp;2F2B8D0A&amp;0&amp;0008\n"
       "HardwareID=\n",
       {sata, {First(kNvidia), true}}},
      // XP has no HardwareID; a video controller's DeviceID is no ID.
      {"wmic get /value, Windows XP, piped", 
       "wmic /format:list or /value", Saved::kPiped,
       "\n\nDeviceID=PCI\\VEN_8086&amp;DEV_266E&amp;SUBSYS_300D103C&amp;REV_03\\3&amp;B1BFB68&amp;0&amp;F2\n"
       "Name=Controlador de audio \xA1ntegrado\n"
       "PNPDeviceID=PCI\\VEN_8086&amp;DEV_266E&amp;SUBSYS_300D103C&amp;REV_03\\3&amp;B1BFB68&amp;0&amp;F2\n"
       "\n\nDeviceID=VideoController1\n"
       "Name=NVIDIA GeForce 6200\n"
       "PNPDeviceID=PCI\\VEN_10DE&amp;DEV_0221&amp;SUBSYS_00000000&amp;REV_A1\\4&amp;1F7DBC9F&amp;0&amp;0008\n",
       {{First(kSound), true},
        {First("VEN_10DE&DEV_0221&SUBSYS_00000000&REV_A1"), true}}},
      {"wmic /format:list, Windows 10, /OUTPUT:",
       "wmic /format:list or /value", Saved::kUtf16,
       "\n\nDeviceID=PCI\\VEN_8086&amp;DEV_1C02&amp;SUBSYS_844D1043&amp;REV_05\\3&amp;11583659&amp;0&amp;FA\n"
       "HardwareID={\"PCI\\VEN_8086&amp;DEV_1C02&amp;SUBSYS_844D1043&amp;REV_05\","
       "\"PCI\\VEN_8086&amp;DEV_1C02&amp;SUBSYS_844D1043\","
       "\"PCI\\VEN_8086&amp;DEV_1C02&amp;CC_010601\",\"PCI\\VEN_8086&amp;DEV_1C02&amp;CC_0106\"}\n"
       "PNPClass=HDCController\nPresent=TRUE\n\n",
       {sata}},
      {"wmic /format:csv, Windows 7, one node",
       "wmic /format:csv", Saved::kUtf16,
       "\nNode,DeviceID,HardwareID\n"
       "PC-7,ACPI\\PNP0A08\\0,{\"ACPI\\PNP0A08\",\"*PNP0A08\"}\n"
       "PC-7,PCI\\VEN_8086&amp;DEV_1C02&amp;SUBSYS_844D1043&amp;REV_05\\3&amp;11583659&amp;0&amp;FA,"
       "{\"PCI\\VEN_8086&amp;DEV_1C02&amp;SUBSYS_844D1043&amp;REV_05\","
       "\"PCI\\VEN_8086&amp;DEV_1C02&amp;SUBSYS_844D1043\","
       "\"PCI\\VEN_8086&amp;DEV_1C02&amp;CC_010601\",\"PCI\\VEN_8086&amp;DEV_1C02&amp;CC_0106\"}\n",
       {sata}},
      {"wmic /format:csv, Windows XP, piped",
       "wmic /format:csv", Saved::kPiped,
       "\nNode,DeviceID,Name,PNPDeviceID\n"
       "OLDPC,PCI\\VEN_8086&amp;DEV_266E&amp;SUBSYS_300D103C&amp;REV_03\\3&amp;B1BFB68&amp;0&amp;F2,"
       "SoundMAX,PCI\\VEN_8086&amp;DEV_266E&amp;SUBSYS_300D103C&amp;REV_03\\3&amp;B1BFB68&amp;0&amp;F2\n",
       {{First(kSound), true}}},
      {"wmic get DeviceID,HardwareID, Windows 7",
       "wmic table (get without /format)", Saved::kUtf16,
       "DeviceID                                                          HardwareID  \n"
       "ACPI\\PNP0A08\\0                                                    {\"ACPI\\PNP0A08\", \"*PNP0A08\"}\n"
       "PCI\\VEN_8086&DEV_1C02&SUBSYS_844D1043&REV_05\\3&11583659&0&FA      "
       "{\"PCI\\VEN_8086&DEV_1C02&SUBSYS_844D1043&REV_05\", \"PCI\\VEN_8086&DEV_1C02&SUBSYS_844D1043\", "
       "\"PCI\\VEN_8086&DEV_1C02&CC_010601\", \"PCI\\VEN_8086&DEV_1C02&CC_0106\"}\n\n",
       {sata}},
      // A name with blanks and a letter of two bytes before the IDs' column.
      {"wmic get Name,PNPDeviceID, Windows XP",
       "wmic table (get without /format)", Saved::kUtf16,
       "Name                       PNPDeviceID\n"
       "Placa madre                \n"
       "Audio de alta definición   PCI\\VEN_8086&DEV_266E&SUBSYS_300D103C&REV_03\\3&B1BFB68&0&F2\n",
       {{First(kSound), true}}},
      {"msinfo32 /report, Windows XP", "msinfo32 /report", Saved::kUtf16,
       "System Information report written at: 12/10/2026 10:00:00 AM\n"
       "System Name: OLDPC\n"
       "[System Summary]\n\nItem\tValue\t\nOS Name\tMicrosoft Windows XP Professional\t\n\n"
       "[Display]\n\nItem\tValue\t\nName\tNVIDIA GeForce GT 630\t\n"
       "PNP Device ID\tPCI\\VEN_10DE&DEV_0622&SUBSYS_827C1043&REV_A1\\4&2F2B8D0A&0&0008\t\n\n"
       "[Signed Drivers]\n\n"
       "Device Name\tSigned\tDevice Class\tDriver Version\tDriver Date\tManufacturer\tINF Name\tDriver Name\tDevice ID\t\n"
       "NVIDIA GeForce GT 630\tNo\tDISPLAY\t9.18.13.697\t4/13/2012\tNVIDIA\toem3.inf\tNot Available\t"
       "PCI\\VEN_10DE&DEV_0622&SUBSYS_827C1043&REV_A1\\4&2F2B8D0A&0&0008\t\n"
       "SoundMAX\tYes\tMEDIA\t5.10.1.4440\t7/1/2005\tAnalog Devices\toem5.inf\tNot Available\t"
       "PCI\\VEN_8086&DEV_266E&SUBSYS_300D103C&REV_03\\3&B1BFB68&0&F2\t\n"
       "USB Root Hub\tYes\tUSB\t5.1.2600.0\t7/1/2001\t(Standard USB Host Controller)\tusbport.inf\tNot Available\t"
       "USB\\ROOT_HUB\\4&1A2B3C&0\t\n",
       {{First(kNvidia), true}, {First(kSound), true}}},
      // Windows 10 in French, pasted from the window with blanks for tabs.
      {"msinfo32 /report, Windows 10, French, pasted", "msinfo32 /report",
       Saved::kUtf16Bare,
       "Rapport d'informations système généré le : 10/12/2026 10:00:00\n"
       "Nom du système : PC-FR\n"
       "[Résumé système]\n\n"
       "[Affichage]\n\nÉlément   Valeur\n"
       "ID du périphérique PNP   PCI\\VEN_8086&DEV_1C02&SUBSYS_844D1043&REV_05\\3&11583659&0&FA\n",
       {{First(kSata), true}}},
      {"msinfo32 /nfo, Windows 7", "msinfo32 /nfo", Saved::kUtf16,
       "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n<MsInfo>\n"
       "<Metadata><Version>8.0</Version><CreationUTC>12/10/2026</CreationUTC></Metadata>\n"
       "<Category name=\"Résumé système\">\n<!-- a comment -->\n"
       "<Data><Item><![CDATA[Nom du système]]></Item><Value><![CDATA[PC-7]]></Value></Data>\n"
       "<Category name=\"Composants\"><Category name=\"Affichage\">\n"
       "<Data><Item><![CDATA[ID du périphérique PNP]]></Item>"
       "<Value><![CDATA[PCI\\VEN_10DE&DEV_0622&SUBSYS_827C1043&REV_A1\\4&2F2B8D0A&0&0008]]></Value></Data>\n"
       "</Category></Category>\n<Category name=\"Pilotes signés\">\n"
       "<Data><Device_Name>SATA AHCI</Device_Name><Signed/>\n"
       "<Device_ID>PCI\\VEN_8086&amp;DEV_1C02&amp;SUBSYS_844D1043&amp;REV_05\\3&amp;11583659&amp;0&amp;FA</Device_ID></Data>\n"
       "</Category>\n</Category>\n</MsInfo>\n",
       {{First(kNvidia), true}, {First(kSata), true}}},
      {"msinfo32 /nfo, Windows Vista, one line", "msinfo32 /nfo", Saved::kUtf16,
       "<?xml version=\"1.0\"?><MsInfo><Category name=\"System Summary\"><Data>"
       "<Item>PNP Device ID</Item><Value>PCI\\VEN_8086&amp;DEV_266E&amp;SUBSYS_300D103C&amp;REV_03\\3&amp;B1BFB68&amp;0&amp;F2</Value>"
       "</Data></Category></MsInfo>",
       {{First(kSound), true}}},
      {"devcon hwids", "devcon hwids", Saved::kUtf8,
       "ACPI\\PNP0A03\\0\n    Name: PCI bus\n    Hardware IDs:\n        ACPI\\PNP0A03\n        *PNP0A03\n"
       "PCI\\VEN_8086&DEV_1C02&SUBSYS_844D1043&REV_05\\3&11583659&0&FA\n"
       "    Name: Intel(R) Desktop/Workstation/Server Express Chipset SATA AHCI Controller\n"
       "    Hardware IDs:\n"
       "        PCI\\VEN_8086&DEV_1C02&SUBSYS_844D1043&REV_05\n"
       "        PCI\\VEN_8086&DEV_1C02&SUBSYS_844D1043\n"
       "        PCI\\VEN_8086&DEV_1C02&CC_010601\n"
       "        PCI\\VEN_8086&DEV_1C02&CC_0106\n"
       "    Compatible IDs:\n        PCI\\VEN_8086&DEV_1C02&REV_05\n        PCI\\VEN_8086\n"
       "2 matching device(s) found.\n",
       {sata}},
      // Older builds: "Hardware ID's:", and a device without any.
      {"devcon hwids of an older build", "devcon hwids", Saved::kUtf8,
       "PCI\\VEN_8086&DEV_266E&SUBSYS_300D103C&REV_03\\3&B1BFB68&0&F2\n"
       "    Name: SoundMAX Integrated Digital Audio\n"
       "    Hardware ID's:\n        PCI\\VEN_8086&DEV_266E&SUBSYS_300D103C&REV_03\n"
       "        PCI\\VEN_8086&DEV_266E&SUBSYS_300D103C\n"
       "    Compatible ID's:\n        PCI\\VEN_8086&DEV_266E&REV_03\n"
       "PCI\\VEN_10DE&DEV_0622&SUBSYS_827C1043&REV_A1\\4&2F2B8D0A&0&0008\n"
       "    Name: NVIDIA GeForce GT 630\n"
       "No hardware/compatible IDs found for this device.\n"
       "2 matching device(s) found.\n",
       {{{"PCI\\VEN_8086&DEV_266E&SUBSYS_300D103C&REV_03",
          "PCI\\VEN_8086&DEV_266E&SUBSYS_300D103C"}},
        {First(kNvidia), true}}},
      {"devcon find *", "devcon find, findall or listclass", Saved::kUtf8,
       "ACPI\\PNP0A03\\0                                              : PCI bus\n"
       "PCI\\VEN_8086&DEV_1C02&SUBSYS_844D1043&REV_05\\3&11583659&0&FA: Intel(R) SATA AHCI\n"
       "PCI\\VEN_10DE&DEV_0622&SUBSYS_827C1043&REV_A1\\4&2F2B8D0A&0&0008: NVIDIA GeForce GT 630\n"
       "3 matching device(s) found.\n",
       {{First(kSata), true}, {First(kNvidia), true}}},
      {"devcon listclass", "devcon find, findall or listclass", Saved::kUtf8,
       "Listing 1 devices in setup class \"Display\" (Display adapters).\n"
       "PCI\\VEN_10DE&DEV_0622&SUBSYS_827C1043&REV_A1\\4&2F2B8D0A&0&0008: NVIDIA GeForce GT 630\n",
       {{First(kNvidia), true}}},
  };
}

Devices Read(const std::string& bytes) {
  Devices devices;
  CaptureError error;
  EXPECT_TRUE(ReadDeviceCapture(bytes, &devices, &error))
      << "line " << error.line << ": " << error.message;
  return devices;
}

TEST(WindowsCapturesTest, EveryToolOfEverySystemGivesItsPciDevices) {
  for (const WindowsCase& c : Cases()) {
    SCOPED_TRACE(c.name);
    const std::string bytes = Saving(c.text, c.saved);
    const Devices devices = Read(bytes);
    EXPECT_TRUE(devices.size() == c.devices.size() &&
                std::equal(c.devices.begin(), c.devices.end(), devices.begin()))
        << Describe(devices);
    // The list form of them reads back as the same IDs.
    const Devices again = Read(FormatDeviceList(devices));
    ASSERT_EQ(again.size(), devices.size());
    for (std::size_t i = 0; i < again.size(); ++i)
      EXPECT_EQ(again[i].hardwareIds, devices[i].hardwareIds);
  }
}

// Each capture looks like its own format alone: detection is by shape,
// never by the order of the table's rows.
TEST(WindowsCapturesTest, EveryCaptureLooksLikeItsOwnFormatOnly) {
  for (const WindowsCase& c : Cases()) {
    capture::LineCursor first(c.text);
    while (first.Next() && capture::Trim(first.line()).empty()) {
    }
    for (const capture::CaptureFormat& format : capture::CaptureFormats())
      EXPECT_EQ(format.looksLike(first), format.name == std::string(c.format))
          << c.name << " looked at as " << format.name;
  }
}

std::string ReadDump(const std::string& name) {
  std::ifstream file(std::string(POMVARIN_WINDOWS_CAPTURES) + "/" + name,
                     std::ios::binary);
  std::ostringstream bytes;
  bytes << file.rdbuf();
  EXPECT_FALSE(bytes.str().empty()) << name;
  return bytes.str();
}

// As Windows wrote them: the first and last PCI device of each, in the
// order met, and whether the dump held their whole IDs.
TEST(WindowsCapturesTest, TheRealWmicDumpsGiveTheirPciDevices) {
  const struct {
    const char* file;
    std::size_t count;
    const char* first;
    const char* last;
    bool whole;
  } dumps[] = {
      {"wmic-list-cimlogicaldevice-win7-fr.utf16.txt", 24,
       "PCI\\VEN_1106&DEV_3044&SUBSYS_81FE1043&REV_C0",
       "PCI\\VEN_8086&DEV_1C20&SUBSYS_84101043&REV_05", true},
      {"wmic-list-cimlogicaldevice-xp-es.utf16.txt", 15,
       "PCI\\VEN_8086&DEV_266E&SUBSYS_300D103C&REV_03",
       "PCI\\VEN_8086&DEV_2651&SUBSYS_300D103C&REV_03", false},
      {"wmic-list-videocontroller-win10-intel-nvidia.utf16.txt", 2,
       "PCI\\VEN_8086&DEV_0412&SUBSYS_D0001458&REV_06",
       "PCI\\VEN_10DE&DEV_1402&SUBSYS_36C31458&REV_A1", false},
      {"wmic-list-videocontroller-rx6600xt-nobom.utf16.txt", 1,
       "PCI\\VEN_1002&DEV_73FF&SUBSYS_23361458&REV_C1",
       "PCI\\VEN_1002&DEV_73FF&SUBSYS_23361458&REV_C1", false},
  };
  for (const auto& dump : dumps) {
    SCOPED_TRACE(dump.file);
    const Devices devices = Read(ReadDump(dump.file));
    ASSERT_EQ(devices.size(), dump.count) << Describe(devices);
    EXPECT_EQ(devices.front().hardwareIds[0], dump.first);
    EXPECT_EQ(devices.back().hardwareIds[0], dump.last);
    for (const Device& device : devices) {
      EXPECT_EQ(device.hardwareIds.size(), dump.whole ? 4u : 1u)
          << device.hardwareIds[0];
      EXPECT_EQ(device.note.empty(), dump.whole) << device.note;
    }
  }
}

TEST(WindowsCapturesTest, WhatIsNoneOfThemIsRefusedAtItsLine) {
  std::string deep = "<MsInfo>";
  for (int i = 0; i < 100; ++i) deep += "<a>";
  const struct {
    const char* name;
    std::string capture;
    int line;
    const char* expected;
  } cases[] = {
      {"wmic list, a stray line",
       "\n\nDeviceID=PCI\\VEN_1&amp;DEV_2\\3&amp;0\nstray words\n", 4,
       "\"Property=value\""},
      {"wmic list, HardwareID no array",
       "DeviceID=PCI\\VEN_1&amp;DEV_2\\3&amp;0\nHardwareID=PCI\\VEN_1\n", 1,
       "an array of hardware IDs"},
      {"wmic list, an array of no IDs",
       "DeviceID=PCI\\VEN_1&amp;DEV_2\\3&amp;0\n"
       "HardwareID={\"PCI\\VEN_1\",\"no ID\"}\n",
       1, "an array of hardware IDs"},
      {"wmic list of other buses only", "DeviceID=USB\\ROOT_HUB\\4&amp;1\n", 1,
       "at least one PCI device"},
      {"wmic CSV, a value holding a comma",
       "Node,DeviceID,Name\nPC,PCI\\VEN_1&amp;DEV_2\\3&amp;0,Intel, Inc.\n", 2,
       "expected 3 values"},
      {"wmic CSV without a node", "Node,DeviceID\n,PCI\\VEN_1&amp;DEV_2\\3&amp;0\n",
       2, "Node"},
      {"wmic table, a value across a column",
       "DeviceID  Name\nPCI\\VEN_1&DEV_2\\3&0 x\n", 2, "the column of Name"},
      {"msinfo32 /report of other buses only",
       "System Information report written at: now\n[USB]\nHub\tUSB\\ROOT\\4&1\n",
       3, "at least one PCI device"},
      {"msinfo32 /nfo with a document type",
       "<?xml version=\"1.0\"?>\n"
       "<!DOCTYPE MsInfo [<!ENTITY x SYSTEM \"file:///etc/passwd\">]>\n"
       "<MsInfo>&x;</MsInfo>\n",
       2, "no DTD or entity is read"},
      {"msinfo32 /nfo with an entity of its own", "<MsInfo><Data>&x;</Data></MsInfo>",
       1, "only XML's own escapes"},
      {"msinfo32 /nfo, tags crossed", "<MsInfo>\n<Data></Item>\n</MsInfo>\n", 2,
       "</Data>, found </Item>"},
      {"msinfo32 /nfo cut short",
       "<MsInfo>\n<Data>PCI\\VEN_1&amp;DEV_2\\3&amp;0\n", 3,
       "</Data> before the end"},
      {"msinfo32 /nfo nested too deep", deep, 1, "at most 64 deep"},
      {"devcon hwids, a stray line", "PCI\\VEN_1&DEV_2\\3&0\n    Name: X\nstray\n", 3,
       "indented its \"Name:\""},
      {"devcon find, a stray line", "PCI\\VEN_1&DEV_2\\3&0: X\nstray line\n", 2,
       "\": \" and its name"},
      {"a file of two machines read as one",
       "Node,DeviceID\nA,PCI\\VEN_1&amp;DEV_2\\3&amp;0\nB,PCI\\VEN_1&amp;DEV_2\\3&amp;0\n",
       1, "found 2 machines (A, B)"},
  };
  for (const auto& c : cases) {
    Devices devices;
    CaptureError error;
    EXPECT_FALSE(ReadDeviceCapture(c.capture, &devices, &error)) << c.name;
    EXPECT_EQ(error.line, c.line) << c.name << ": " << error.message;
    EXPECT_NE(error.message.find(c.expected), std::string::npos)
        << c.name << ": " << error.message;
  }
}

// Every machine as handed over, none taken as known by its bytes.
class KeptMachines : public MachineSink {
 public:
  bool AddKnown(std::string_view, const Digest&) override { return false; }
  bool Add(std::string_view machine, const Digest*,
           const Devices& devices) override {
    machines.emplace_back(std::string(machine), devices);
    return true;
  }
  std::vector<std::pair<std::string, Devices>> machines;
};

// A wmic CSV of several nodes is read as a folder of one capture for each:
// the same machines, by name, with the same devices.
TEST(WindowsCapturesTest, AFileOfManyMachinesIsReadAsAFolderOfCaptures) {
  const std::string header = "\nNode,DeviceID,HardwareID\n";
  const std::string sata =
      ",PCI\\VEN_8086&amp;DEV_1C02&amp;SUBSYS_844D1043&amp;REV_05\\3&amp;1&amp;0&amp;FA,"
      "{\"PCI\\VEN_8086&amp;DEV_1C02&amp;SUBSYS_844D1043&amp;REV_05\","
      "\"PCI\\VEN_8086&amp;DEV_1C02\"}\n";
  const std::string nvidia =
      ",PCI\\VEN_10DE&amp;DEV_0622&amp;SUBSYS_827C1043&amp;REV_A1\\4&amp;2&amp;0&amp;08,\n";
  test::TempDisc disc;
  disc.Write("nodes.csv", Saving(header + "PC-A" + sata + "PC-B" + nvidia +
                                     "PC-A" + nvidia + "PC-C" + sata,
                                 Saved::kUtf16));
  disc.Write("fleet/PC-A", header + "PC-A" + sata + "PC-A" + nvidia);
  disc.Write("fleet/PC-B", header + "PC-B" + nvidia);
  disc.Write("fleet/PC-C", header + "PC-C" + sata);
  KeptMachines fromFile, fromFolder;
  std::vector<SkippedCapture> skipped;
  ASSERT_TRUE(ReadMachines({{"nodes.csv", "nodes.csv"}}, fromFile, &skipped));
  ASSERT_TRUE(ReadMachines({{"fleet", "fleet"}}, fromFolder, &skipped));
  EXPECT_TRUE(skipped.empty());
  ASSERT_EQ(fromFile.machines.size(), 3u);
  ASSERT_EQ(fromFile.machines.size(), fromFolder.machines.size());
  for (std::size_t m = 0; m < fromFile.machines.size(); ++m) {
    const auto& [name, devices] = fromFile.machines[m];
    const auto& [folderName, folderDevices] = fromFolder.machines[m];
    EXPECT_EQ(name, folderName);
    ASSERT_EQ(devices.size(), folderDevices.size()) << name;
    for (std::size_t d = 0; d < devices.size(); ++d) {
      EXPECT_EQ(devices[d].hardwareIds, folderDevices[d].hardwareIds) << name;
      EXPECT_EQ(devices[d].note.empty(), folderDevices[d].note.empty()) << name;
    }
  }
  EXPECT_EQ(fromFile.machines[0].first, "PC-A");
  // One device reads alike on every machine of the file, wherever it stands,
  // so that machines alike are one configuration.
  ASSERT_EQ(fromFile.machines[1].second.size(), 1u);
  EXPECT_FALSE(fromFile.machines[1].second[0].note.empty());
  EXPECT_EQ(fromFile.machines[1].second[0].note,
            fromFile.machines[0].second[1].note);
}

}  // namespace
}  // namespace pomvarin::check
