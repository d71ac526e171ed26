#include "check/capture/capture.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "check/capture/capture_formats.h"

namespace pomvarin::check {
namespace {

using Ids = std::vector<std::string>;

std::vector<Ids> IdsOf(const Devices& devices) {
  std::vector<Ids> ids;
  for (const Device& device : devices) ids.push_back(device.hardwareIds);
  return ids;
}

Devices Parse(const std::string& bytes) {
  Devices devices;
  CaptureError error;
  EXPECT_TRUE(ReadDeviceCapture(bytes, &devices, &error))
      << "line " << error.line << ": " << error.message;
  return devices;
}

Ids PciIds(const std::string& numbers, const std::string& classCode) {
  // numbers: VEN_vvvv&DEV_dddd&SUBSYS_ssssssss, then &REV_rr
  const std::string base = numbers.substr(0, numbers.find("&SUBSYS_"));
  const std::string subsystem = numbers.substr(0, numbers.find("&REV_"));
  return {"PCI\\" + numbers, "PCI\\" + subsystem,
          "PCI\\" + base + "&CC_" + classCode,
          "PCI\\" + base + "&CC_" + classCode.substr(0, 4)};
}

// Captures of each format, as the tools write them (the shapes of real
// outputs), and the devices they hold.
struct FormatCase {
  const char* name;
  const char* format;   // its row's name in the table
  std::string capture;  // UTF-8, LF line ends
  std::vector<Ids> devices;
};

std::vector<FormatCase> FormatCases() {
  const Ids amd = PciIds("VEN_1002&DEV_73BF&SUBSYS_E4381DA2&REV_C1", "030000");
  const Ids sata = PciIds("VEN_8086&DEV_A102&SUBSYS_00000000&REV_00", "010601");
  const Ids virtio =
      PciIds("VEN_1AF4&DEV_1041&SUBSYS_11001AF4&REV_01", "020000");
  return {
      // pciutils 3.x with -k, a domain, the extra fields, and names holding
      // brackets of their own: the number is the last one.
      {"lspci -vmm -nn -k -D", "lspci -vmm -nn",
       "Slot:\t0000:03:00.0\n"
       "Class:\tVGA compatible controller [0300]\n"
       "Vendor:\tAdvanced Micro Devices, Inc. [AMD/ATI] [1002]\n"
       "Device:\tNavi 21 [Radeon RX 6800] [73bf]\n"
       "SVendor:\tSapphire [1da2]\n"
       "SDevice:\tDevice [e438]\n"
       "PhySlot:\t2\n"
       "Rev:\tc1\n"
       "Driver:\tamdgpu\n"
       "Module:\tamdgpu\n"
       "NUMANode:\t0\n"
       "IOMMUGroup:\t13\n"
       "\n"
       "Slot:\t0000:00:17.0\n"
       "Class:\tSATA controller [0106]\n"
       "Vendor:\tIntel Corporation [8086]\n"
       "Device:\tAHCI [a102]\n"
       "ProgIf:\t01\n"
       "Driver:\tahci\n",
       {amd, sata}},
      // Before pciutils 3.0 (and lspci -vm today) the slot is on the first
      // "Device:"; retyped with blanks for tabs, no final newline.
      {"lspci -vmm -nn of pciutils 2", "lspci -vmm -nn",
       "Device:  01:00.0\n"
       "Class:   Ethernet controller [0200]\n"
       "Vendor:  Red Hat, Inc. [1af4]\n"
       "Device:  Virtio network device [1041]\n"
       "SVendor: Red Hat, Inc. [1af4]\n"
       "SDevice: Device [1100]\n"
       "Rev:     01",
       {virtio}},
      {"pomvarin-check --list", "pomvarin-check --list",
       "# PCI devices, one per line: hardware IDs, most specific first\n"
       "PCI\\VEN_10EC&DEV_8168&SUBSYS_012310EC&REV_15  PCI\\VEN_10EC&DEV_8168\n"
       "\n"
       "-\n"
       "  PCI\\VMBUS_NODE\n",
       {{"PCI\\VEN_10EC&DEV_8168&SUBSYS_012310EC&REV_15",
         "PCI\\VEN_10EC&DEV_8168"},
        {},
        {"PCI\\VMBUS_NODE"}}},
      // Windows 11: /connected /bus PCI /deviceids; a device of another bus
      // (Windows 10 has no /bus) is left out.
      {"pnputil /enum-devices, English", "pnputil /enum-devices",
       "Microsoft PnP Utility\n"
       "\n"
       "Instance ID:                PCI\\VEN_8086&DEV_A102&SUBSYS_00000000&REV_00\\3&11583659&0&B8\n"
       "Device Description:         Standard SATA AHCI Controller\n"
       "Class Name:                 HDC\n"
       "Class GUID:                 {4d36e96a-e325-11ce-bfc1-08002be10318}\n"
       "Manufacturer Name:          Standard SATA AHCI Controller\n"
       "Status:                     Started\n"
       "Driver Name:                mshdc.inf\n"
       "Bus Enumerator Name:        PCI\n"
       "Hardware IDs:               PCI\\VEN_8086&DEV_A102&SUBSYS_00000000&REV_00\n"
       "                            PCI\\VEN_8086&DEV_A102&SUBSYS_00000000\n"
       "                            PCI\\VEN_8086&DEV_A102&CC_010601\n"
       "                            PCI\\VEN_8086&DEV_A102&CC_0106\n"
       "Compatible IDs:             PCI\\VEN_8086&DEV_A102&REV_00\n"
       "                            PCI\\VEN_8086\n"
       "                            PCI\\CC_010601\n"
       "\n"
       "Instance ID:                USB\\ROOT_HUB30\\4&1d3bb3b&0&0\n"
       "Hardware IDs:               USB\\ROOT_HUB30\n"
       "\n"
       "Instance ID:                PCI\\VEN_1234&DEV_0001\\3&0&0&00\n"
       "Compatible IDs:             PCI\\VEN_1234&DEV_0001\n",
       {sata, {}}},
      // Labels of another language: read by their shapes.
      {"pnputil /enum-devices, German", "pnputil /enum-devices",
       "Microsoft-PnP-Hilfsprogramm\n"
       "\n"
       "Instanz-ID:                 PCI\\VEN_1AF4&DEV_1041&SUBSYS_11001AF4&REV_01\\3&267a616a&0&18\n"
       "Gerätebeschreibung:         Red Hat VirtIO Ethernet Adapter\n"
       "Übergeordnet:               ACPI\\PNP0A03\\0\n"
       "Hardware-IDs:               PCI\\VEN_1AF4&DEV_1041&SUBSYS_11001AF4&REV_01\n"
       "                            PCI\\VEN_1AF4&DEV_1041&SUBSYS_11001AF4\n"
       "                            PCI\\VEN_1AF4&DEV_1041&CC_020000\n"
       "                            PCI\\VEN_1AF4&DEV_1041&CC_0200\n"
       "Kompatible IDs:             PCI\\VEN_1AF4&DEV_1041&REV_01\n"
       "                            PCI\\VEN_1AF4\n",
       {virtio}},
  };
}

std::string Utf16(const std::string& ascii, bool bigEndian) {
  std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (std::size_t i = 0; i < ascii.size(); ++i) {
    // The fixtures' few other letters are two-byte UTF-8 (U+0080..U+07FF).
    unsigned c = static_cast<unsigned char>(ascii[i]);
    if (c >= 0xC0) c = (c & 0x1F) << 6 | (static_cast<unsigned char>(ascii[++i]) & 0x3F);
    const char high = static_cast<char>(c >> 8), low = static_cast<char>(c & 0xFF);
    bytes += bigEndian ? std::string{high, low} : std::string{low, high};
  }
  return bytes;
}

std::string WithCrLf(const std::string& text) {
  std::string result;
  for (char c : text) result += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return result;
}

TEST(CaptureFormatsTest, EveryFormatInEveryEncodingGivesItsDevices) {
  for (const FormatCase& c : FormatCases()) {
    for (const bool crlf : {false, true}) {
      const std::string text = crlf ? WithCrLf(c.capture) : c.capture;
      // UTF-16LE also as a dump that lost its byte-order mark.
      const std::string encodings[] = {text, "\xEF\xBB\xBF" + text,
                                       Utf16(text, false), Utf16(text, true),
                                       Utf16(text, false).substr(2)};
      for (const std::string& bytes : encodings) {
        SCOPED_TRACE(std::string(c.name) + (crlf ? ", CRLF, " : ", LF, ") +
                     std::to_string(&bytes - encodings));
        const Devices devices = Parse(bytes);
        EXPECT_EQ(IdsOf(devices), c.devices);
        // What --list writes of them reads back as the same devices.
        EXPECT_EQ(IdsOf(Parse(FormatDeviceList(devices))), c.devices);
      }
    }
  }
}

// Each capture looks like its own format alone, so that the order of the
// table's rows never decides what a capture is read as.
TEST(CaptureFormatsTest, EveryCaptureLooksLikeItsOwnFormatOnly) {
  for (const FormatCase& c : FormatCases()) {
    capture::LineCursor first(c.capture);
    ASSERT_TRUE(first.Next()) << c.name;
    for (const capture::CaptureFormat& format : capture::CaptureFormats())
      EXPECT_EQ(format.looksLike(first), format.name == std::string(c.format))
          << c.name << " looked at as " << format.name;
  }
}

TEST(CaptureFormatsTest, TheListFormReadsBackAsItWasWritten) {
  const Devices devices{{{"PCI\\VEN_1AF4&DEV_1041", "PCI\\VEN_1AF4"}, {}},
                        {{}, {}},
                        {{"PCI\\VEN_8086&DEV_0D57&SUBSYS_00000000&REV_00"}, {}}};
  EXPECT_EQ(IdsOf(Parse(FormatDeviceList(devices))), IdsOf(devices));
  // A machine without devices: the comment line alone, read as no device.
  EXPECT_EQ(FormatDeviceList({}).find('\n') + 1, FormatDeviceList({}).size());
  EXPECT_TRUE(Parse(FormatDeviceList({})).empty());
  // Every blank that separates IDs also counts around them: otherwise an ID
  // read from "\v#x" would turn into a comment once written back.
  EXPECT_EQ(IdsOf(Parse("\v#not a device\n\f-\n")), std::vector<Ids>{{}});
}

// A fleet takes a capture byte for byte like the list of a configuration's
// devices for that configuration, unread: any other text must not pass.
TEST(CaptureFormatsTest, OnlyTheListItselfIsTakenForTheListOfDevices) {
  const Devices devices{{{"PCI\\VEN_1AF4&DEV_1041", "PCI\\VEN_1AF4"}, {}},
                        {{}, {}}};
  const std::string list = FormatDeviceList(devices);
  EXPECT_TRUE(IsDeviceListOf(list, devices));
  EXPECT_TRUE(IsDeviceListOf(FormatDeviceList({}), {}));
  const std::string unlike[] = {
      list + "\n",
      list.substr(0, list.size() - 1),
      list.substr(0, list.size() - 2) + "X\n",
      list.substr(0, list.find('\n') + 1) + "PCI\\VEN_1AF4&DEV_1041  "
          "PCI\\VEN_1AF4\n-\n",
      list.substr(0, list.find('\n')) + "\r\n" +
          list.substr(list.find('\n') + 1),
      "\xEF\xBB\xBF" + list,
  };
  for (const std::string& text : unlike)
    EXPECT_FALSE(IsDeviceListOf(text, devices)) << text;
  EXPECT_FALSE(IsDeviceListOf(list, {devices[0]}));
  EXPECT_FALSE(IsDeviceListOf(list, {devices[0], {{"PCI\\VEN_1AF4"}, {}}}));
}

TEST(CaptureRefusalTest, WhatIsNoCaptureIsRefusedAtItsLine) {
  const struct {
    const char* name;
    std::string capture;
    int line;
    const char* expected;
  } cases[] = {
      {"empty file", "", 1, "found an empty file"},
      {"blank lines", "\n \n\t\n", 3, "found no text"},
      {"prose", "\nHello, this is\nno capture.\n", 2, "found \"Hello, this is\""},
      {"a list line with prose", "PCI\\VEN_8086 and more\n", 1,
       "found \"and\""},
      {"a record run into the next",
       "Slot:\t00:00.0\nClass:\tHost bridge [0600]\nVendor:\tIntel [8086]\n"
       "Device:\tD [0d57]\n\nSlot:\t00:07.0Class:\tISA bridge [0601]\n",
       6, "\"Slot:\" and a slot"},
      {"records without a blank line between",
       "Slot:\t00:00.0\nClass:\tHost bridge [0600]\nVendor:\tIntel [8086]\n"
       "Device:\tD [0d57]\nClass:\tISA bridge [0601]\n",
       5, "a second Class: in the device of line 1"},
      {"lspci without -nn",
       "Slot:\t00:00.0\nClass:\tHost bridge\nVendor:\tIntel Corporation\n", 2,
       "number in brackets"},
      {"a number too long", "Slot:\t00:00.0\nVendor:\tIntel [18086]\n", 2,
       "number in brackets"},
      {"a record without its Vendor",
       "Slot:\t00:00.0\nClass:\tHost bridge [0600]\nDevice:\tD [0d57]\n", 1,
       "Class:, Vendor: and Device:"},
      {"a field before any slot", "Vendor:\tIntel [8086]\nSlot:\t00:00.0\n", 1,
       "expected lspci"},
      {"UTF-16BE without its byte-order mark", std::string("\0S\0l", 4), 1,
       "NUL byte"},
      {"UTF-16 cut short", std::string("\xFF\xFEP\0C", 5), 1, "odd number"},
      {"pnputil without /deviceids",
       "Microsoft PnP Utility\n\nInstance ID:   PCI\\VEN_8086&DEV_A102\\3&0&0&B8\n"
       "Status:        Started\n",
       3, "/deviceids"},
      {"pnputil of other buses only",
       "Instance ID:   USB\\ROOT_HUB30\\4&1d3bb3b&0&0\n"
       "Hardware IDs:  USB\\ROOT_HUB30\n",
       2, "at least one PCI device"},
      {"pnputil with a stray line",
       "Instance ID:   PCI\\VEN_8086&DEV_A102\\3&0&0&B8\nstray\n", 2,
       "\"Label:  value\""},
  };
  for (const auto& c : cases) {
    Devices devices{{{"left alone"}, {}}};
    CaptureError error;
    EXPECT_FALSE(ReadDeviceCapture(c.capture, &devices, &error)) << c.name;
    EXPECT_EQ(error.line, c.line) << c.name << ": " << error.message;
    EXPECT_NE(error.message.find(c.expected), std::string::npos)
        << c.name << ": " << error.message;
    EXPECT_EQ(devices.size(), 1u) << c.name << ": the devices are left alone";
  }
  EXPECT_EQ(DescribeCaptureError("pc.txt", CaptureError{4, "expected x"}),
            "pc.txt, line 4: expected x");
}

// What looks like no format is refused with every format the table holds.
TEST(CaptureRefusalTest, TextOfNoFormatIsRefusedNamingEveryFormat) {
  for (const char* capture : {"", "hello world\n"}) {
    Devices devices;
    CaptureError error;
    ASSERT_FALSE(ReadDeviceCapture(capture, &devices, &error)) << capture;
    for (const capture::CaptureFormat& format : capture::CaptureFormats())
      EXPECT_EQ(error.message.find(format.name) != std::string::npos,
                format.named)
          << error.message;
  }
}

TEST(CaptureNotesTest, DevicesWithoutSubsystemLinesAreNoted) {
  const Devices devices = Parse(
      "Slot:\t00:1c.0\nClass:\tPCI bridge [0604]\nVendor:\tIntel [8086]\n"
      "Device:\tRoot Port [a110]\n\n"
      "Slot:\t00:00.0\nClass:\tHost bridge [0600]\nVendor:\tIntel [8086]\n"
      "Device:\tHost [0d57]\n\n"
      "Slot:\t00:1c.4\nClass:\tPCI bridge [0604]\nVendor:\tIntel [8086]\n"
      "Device:\tRoot Port [a114]\nSVendor:\tLenovo [17aa]\n"
      "SDevice:\tDevice [2259]\n");
  ASSERT_EQ(devices.size(), 3u);
  EXPECT_EQ(devices[0].note.rfind(
                "PCI\\VEN_8086&DEV_A110&SUBSYS_00000000&REV_00 (capture line "
                "1): a PCI-to-PCI bridge without subsystem lines",
                0),
            0u)
      << devices[0].note;
  EXPECT_NE(devices[1].note.find("(capture line 6): no subsystem lines"),
            std::string::npos)
      << devices[1].note;
  EXPECT_EQ(devices[2].note, "");
}

std::string ReadTestFile(const std::string& name) {
  std::ifstream file(std::string(POMVARIN_CHECK_TESTDATA) + "/" + name,
                     std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  EXPECT_FALSE(text.str().empty()) << name;
  return text.str();
}

// Both captures were taken on one machine: lspci's numbers must give the
// same IDs as the device-setup layer gave there.
TEST(CommittedCapturesTest, LspciAndListCapturesOfOneMachineAgree) {
  const Devices fromLspci = Parse(ReadTestFile("lspci-vmm-nn.txt"));
  const Devices fromList = Parse(ReadTestFile("list.txt"));
  EXPECT_FALSE(fromList.empty());
  EXPECT_EQ(IdsOf(fromLspci), IdsOf(fromList));
}

}  // namespace
}  // namespace pomvarin::check
