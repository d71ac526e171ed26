#include "check/capture.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace pomvarin::check {
namespace {

using Ids = std::vector<std::string>;

std::vector<Ids> IdsOf(const Devices& devices) {
  std::vector<Ids> ids;
  for (const Device& device : devices) ids.push_back(device.hardwareIds);
  return ids;
}

Devices Parse(const std::string& text) {
  Devices devices;
  std::string error;
  EXPECT_TRUE(ParseDeviceCapture(text, &devices, &error)) << error;
  return devices;
}

TEST(LspciCaptureTest, NumbersBecomeTheWindowsHardwareIds) {
  // Names may hold brackets of their own: the number is the last one. lspci
  // leaves out SVendor, SDevice, Rev and ProgIf when they are 0.
  const std::string capture =
      "Slot:\t00:02.0\n"
      "Class:\tVGA compatible controller [0300]\n"
      "Vendor:\tAdvanced Micro Devices, Inc. [AMD/ATI] [1002]\n"
      "Device:\tNavi 21 [Radeon RX 6800] [73bf]\n"
      "SVendor:\tSapphire [1da2]\n"
      "SDevice:\tDevice [e438]\n"
      "Rev:\tc1\n"
      "ProgIf:\t00\n"
      "PhySlot:\t2\n"
      "IOMMUGroup:\t13\n"
      "\n"
      "Slot:\t00:00.0\n"
      "Class:\tHost bridge [0600]\n"
      "Vendor:\tIntel Corporation [8086]\n"
      "Device:\tDevice [0d57]\n";
  EXPECT_EQ(IdsOf(Parse(capture)),
            (std::vector<Ids>{
                {"PCI\\VEN_1002&DEV_73BF&SUBSYS_E4381DA2&REV_C1",
                 "PCI\\VEN_1002&DEV_73BF&SUBSYS_E4381DA2",
                 "PCI\\VEN_1002&DEV_73BF&CC_030000",
                 "PCI\\VEN_1002&DEV_73BF&CC_0300"},
                {"PCI\\VEN_8086&DEV_0D57&SUBSYS_00000000&REV_00",
                 "PCI\\VEN_8086&DEV_0D57&SUBSYS_00000000",
                 "PCI\\VEN_8086&DEV_0D57&CC_060000",
                 "PCI\\VEN_8086&DEV_0D57&CC_0600"}}));
}

TEST(LspciCaptureTest, ProgrammingInterfaceAndCrlfLines) {
  const std::string capture =
      "Slot:\t00:1f.2\r\nClass:\tSATA controller [0106]\r\n"
      "Vendor:\tIntel [8086]\r\nDevice:\tAHCI [a102]\r\nProgIf:\t01\r\n";
  EXPECT_EQ(Parse(capture).at(0).hardwareIds.at(2),
            "PCI\\VEN_8086&DEV_A102&CC_010601");
}

TEST(LspciCaptureTest, RejectsRecordsItCannotTurnIntoIds) {
  const struct {
    const char* capture;
    const char* error;
  } cases[] = {
      {"Slot:\t00:00.0\nClass:\tHost bridge [0600]\nDevice:\tD [0d57]\n",
       "lacks its Vendor, Device or Class"},
      {"Slot:\t00:00.0\nVendor:\tIntel [80x6]\n", "line 2"},
      {"Slot:\t00:00.0\nVendor:\tIntel [18086]\n", "line 2"},
      {"Vendor:\tIntel [8086]\nSlot:\t00:00.0\n", "before any Slot"},
      {"Slot:\t00:00.0\nno colon here\n", "line 2"},
  };
  for (const auto& c : cases) {
    Devices devices;
    std::string error;
    EXPECT_FALSE(ParseDeviceCapture(c.capture, &devices, &error)) << c.capture;
    EXPECT_NE(error.find(c.error), std::string::npos) << error;
  }
}

TEST(ListCaptureTest, OneDevicePerLineCommentsAndDevicesWithoutIds) {
  const std::string capture =
      "# saved on the test bench\r\n"
      "PCI\\VEN_10EC&DEV_8168&SUBSYS_012310EC&REV_15  PCI\\VEN_10EC&DEV_8168\r\n"
      "\n"
      "-\n"
      "  PCI\\VEN_ABCD&DEV_0001\n";
  EXPECT_EQ(IdsOf(Parse(capture)),
            (std::vector<Ids>{{"PCI\\VEN_10EC&DEV_8168&SUBSYS_012310EC&REV_15",
                               "PCI\\VEN_10EC&DEV_8168"},
                              {},
                              {"PCI\\VEN_ABCD&DEV_0001"}}));
}

TEST(ListCaptureTest, TheListFormReadsBackAsItWasWritten) {
  const Devices devices{{{"PCI\\VEN_1AF4&DEV_1041", "PCI\\VEN_1AF4"}},
                        {{}},
                        {{"PCI\\VEN_8086&DEV_0D57&SUBSYS_00000000&REV_00"}}};
  EXPECT_EQ(IdsOf(Parse(FormatDeviceList(devices))), IdsOf(devices));
  // Every blank that separates IDs also counts around them: otherwise an ID
  // read from "\v#x" would turn into a comment once written back.
  EXPECT_EQ(IdsOf(Parse("\v#not a device\n\f-\n")), std::vector<Ids>{{}});
  EXPECT_EQ(FormatDeviceList({}).find('\n') + 1, FormatDeviceList({}).size())
      << "an empty list is the comment line alone";
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
