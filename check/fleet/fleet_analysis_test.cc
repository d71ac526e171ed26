#include "check/fleet/fleet_analysis.h"

#include "check/check.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/temp_disc.h"

namespace pomvarin::check {
namespace {

using test::TempDisc;
using Ids = std::vector<std::string>;

TEST(FleetTest, CompatibleIdsComeFromTheFirstHardwareIdsNumbers) {
  const struct {
    const char* name;
    Ids hardwareIds;
    Ids expected;
  } cases[] = {
      {"all four hardware IDs, in lower case as a capture may hold them",
       {"pci\\ven_10ab&dev_0001&subsys_00021234&rev_03",
        "PCI\\VEN_10AB&DEV_0001&SUBSYS_00021234",
        "PCI\\VEN_10AB&DEV_0001&CC_020000", "PCI\\VEN_10AB&DEV_0001&CC_0200"},
       {"PCI\\VEN_10AB&DEV_0001&SUBSYS_00021234&REV_03",
        "PCI\\VEN_10AB&DEV_0001&SUBSYS_00021234",
        "PCI\\VEN_10AB&DEV_0001&CC_020000", "PCI\\VEN_10AB&DEV_0001&CC_0200",
        "PCI\\VEN_10AB&DEV_0001&REV_03", "PCI\\VEN_10AB&DEV_0001",
        "PCI\\VEN_10AB&CC_020000", "PCI\\VEN_10AB&CC_0200", "PCI\\VEN_10AB",
        "PCI\\CC_020000", "PCI\\CC_0200"}},
      {"a first ID alone: no class, so none of the class's IDs",
       {"PCI\\VEN_10AB&DEV_0001&SUBSYS_00021234&REV_03"},
       {"PCI\\VEN_10AB&DEV_0001&SUBSYS_00021234&REV_03",
        "PCI\\VEN_10AB&DEV_0001&REV_03", "PCI\\VEN_10AB&DEV_0001",
        "PCI\\VEN_10AB"}},
      {"a virtual node without VEN_", {"PCI\\VIRTUAL_NODE"}, {"PCI\\VIRTUAL_NODE"}},
      {"a device whose IDs could not be read", {}, {}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(MatchingIds(Device{c.hardwareIds, {}}), c.expected) << c.name;
}

std::string Vendor(int n, const std::string& venId, const std::string& folder) {
  return "[VendorInfo" + std::to_string(n) + "]\nVenName=V" +
         std::to_string(n) + "\nVenID=" + venId + "\nSetupFileRootDir=\\" +
         folder + "\nSetupFileName=setup.exe\nSilentInstall=setup.exe /q\n";
}

std::string Models(const std::string& ids) {
  return "[Version]\nSignature=$Windows NT$\n[Manufacturer]\nM=Models\n"
         "[Models]\nd = i, " + ids + "\n";
}

Device WithClass(const std::string& venDev, const std::string& rest,
                 const std::string& classCode) {
  return Device{{"PCI\\" + venDev + rest, "PCI\\" + venDev + "&CC_" + classCode},
                {}};
}

struct Fleet {
  std::vector<Configuration> configurations;
  FleetReport report;
};

// One configuration a machine, in the order given.
Fleet CheckMachines(const std::vector<std::pair<std::string, Devices>>& list) {
  Fleet fleet;
  DiscCheck disc;
  EXPECT_EQ(disc.Open(), CheckOutcome::kChecked);
  for (const auto& [name, devices] : list) {
    Configuration configuration{{name}, devices, {}};
    disc.Check(configuration.devices, DeviceOrigin::kCapture,
               &configuration.report);
    fleet.configurations.push_back(configuration);
  }
  fleet.report = CheckFleet(fleet.configurations, nullptr);
  return fleet;
}

std::vector<std::string> Described(const FleetReport& report) {
  std::vector<std::string> described;
  for (const FleetWarning& warning : report.warnings) {
    const std::size_t slash = warning.inf.find_last_of("\\/");
    described.push_back(
        std::to_string(static_cast<int>(warning.kind)) + "|" + warning.section +
        "|" + std::to_string(warning.configuration) + "|" + warning.device + "|" +
        (slash == std::string::npos ? warning.inf : warning.inf.substr(slash + 1)));
  }
  return described;
}

// One disc, three machines, every warning: a vendor-wide VenID that starts
// the chipset setup for the same vendor's network card (whose driver is in
// the LAN folder), a VenID with a typo, an .inf that cannot be parsed.
TEST(FleetTest, WeighsEachMachineAgainstThePackagesInEachEntrysFolder) {
  TempDisc disc;
  disc.Write("Pomvarin.ini", "[PomvarinInfo]\nVendorCount=3\n" +
                                 Vendor(1, "VEN_1D0A", "Chipset") +
                                 Vendor(2, "VEN_1E2B", "Lan") +
                                 Vendor(3, "VEN_1F3D", "Audio"));
  disc.Write("Chipset/setup.exe");
  disc.Write("Chipset/chip.inf", Models("PCI\\VEN_1D0A&DEV_0100"));
  disc.Write("Lan/setup.exe");
  disc.Write("Lan/Sub/LAN.INF", Models("PCI\\VEN_1E2B&DEV_3001, PCI\\VEN_1D0A&DEV_0200"));
  disc.Write("Audio/setup.exe");
  // Served through a compatible ID only: vendor and class.
  disc.Write("Audio/audio.Inf", Models("pci\\ven_1f3c&cc_0403"));
  disc.Write("Extras/broken.inf", "[Version]\n[Manufacturer\n");

  const Device chipset{{"PCI\\VEN_1D0A&DEV_0100&SUBSYS_00001D0A&REV_01"}, {}};
  const Device lan{{"PCI\\VEN_1E2B&DEV_3001&SUBSYS_30011E2B&REV_04"}, {}};
  const Device audio = WithClass("VEN_1F3C&DEV_0005", "&SUBSYS_00051F3C&REV_00", "040300");
  const Device nic{{"PCI\\VEN_1D0A&DEV_0200&SUBSYS_00011D0A&REV_03"}, {}};
  const Device other{{"PCI\\VEN_1B36&DEV_000D&SUBSYS_11001AF4&REV_01"}, {}};
  const Fleet fleet = CheckMachines({{"desk", {chipset, lan, audio}},
                                     {"laptop", {nic, other}},
                                     {"tower", {}}});
  const FleetReport& report = fleet.report;
  EXPECT_EQ(report.infFiles, 4u);
  const std::vector<std::string> expected = {
      "3||0||broken.inf",
      "0|VendorInfo3|0||audio.Inf",
      "2|VendorInfo3|1|" + audio.hardwareIds[0] + "|audio.Inf",
      "1|VendorInfo1|2|" + nic.hardwareIds[0] + "|",
      "2|VendorInfo2|2|" + nic.hardwareIds[0] + "|LAN.INF",
  };
  EXPECT_EQ(Described(report), expected);
  EXPECT_NE(report.warnings[0].message.find("line 2: a section name"),
            std::string::npos) << report.warnings[0].message;

  ASSERT_EQ(report.configurations.size(), 3u);
  using Unserved = std::map<std::string, std::vector<std::string>>;
  EXPECT_EQ(report.configurations[0].unserved,
            (Unserved{{"VEN_1F3C", {audio.hardwareIds[0]}}}));
  EXPECT_EQ(report.configurations[1].unserved,
            (Unserved{{"VEN_1B36", {other.hardwareIds[0]}},
                      {"VEN_1D0A", {nic.hardwareIds[0]}}}));
  EXPECT_TRUE(report.configurations[2].unserved.empty());
  EXPECT_TRUE(fleet.configurations[2].report.showsBox);
}

// The VenID is tested as the launcher tests it, case and all, against the
// IDs the packages list and the captured devices they serve.
TEST(FleetTest, AVenIdAgreesWithItsPackagesByTheLaunchersOwnTest) {
  const struct {
    const char* venId;
    const char* listed;
    bool warned;
  } cases[] = {
      {"VEN_1D0A", "pci\\ven_1d0a&dev_0100", false},  // IDs shown upper-cased
      {"1D0A&DEV_01", "PCI\\VEN_1D0A&DEV_0100", false},
      {"ven_1d0a", "PCI\\VEN_1D0A&DEV_0100", false},  // its upper pass
      {"VEN_1D0B", "PCI\\VEN_1D0A&DEV_0100", true},
      // Listed only as a class: the captured device it serves agrees.
      {"DEV_0005", "PCI\\VEN_1F3C&CC_0403", false},
      {"DEV_0006", "PCI\\VEN_1F3C&CC_0403", true},
  };
  for (const auto& c : cases) {
    TempDisc disc;
    disc.Write("Pomvarin.ini",
               "[PomvarinInfo]\nVendorCount=1\n" + Vendor(1, c.venId, "A"));
    disc.Write("A/setup.exe");
    disc.Write("A/a.inf", Models(c.listed));
    const Fleet fleet = CheckMachines(
        {{"m", {WithClass("VEN_1F3C&DEV_0005", "&REV_00", "040300")}}});
    bool warned = false;
    for (const FleetWarning& warning : fleet.report.warnings)
      warned = warned || warning.kind == FleetWarningKind::kVenIdMatchesNoPackage;
    EXPECT_EQ(warned, c.warned) << c.venId << " " << c.listed;
  }
}

// Nested roots share the inner .inf; a folder without .inf files gives no
// opinion on its entry.
TEST(FleetTest, AnInfBelongsToEveryRootThatHoldsIt) {
  TempDisc disc;
  disc.Write("Pomvarin.ini", "[PomvarinInfo]\nVendorCount=3\n" +
                                 Vendor(1, "VEN_1E2B", "D") +
                                 Vendor(2, "VEN_1E2B", "D\\Lan") +
                                 Vendor(3, "VEN_1E2B", "Bare"));
  disc.Write("D/Lan/lan.inf", Models("PCI\\VEN_1E2B&DEV_3001"));
  disc.Write("Bare/setup.exe");
  const Fleet fleet =
      CheckMachines({{"m", {Device{{"PCI\\VEN_1E2B&DEV_3001&REV_01"}, {}}}}});
  EXPECT_EQ(fleet.report.infFiles, 1u);
  EXPECT_TRUE(fleet.report.warnings.empty())
      << fleet.report.warnings[0].message;
  EXPECT_TRUE(fleet.report.configurations[0].unserved.empty());
}

}  // namespace
}  // namespace pomvarin::check
