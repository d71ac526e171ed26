#include "check/fleet/fleet_check.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "check/report/fleet_tallies.h"
#include "check/report/report_writer.h"
#include "tests/temp_disc.h"

namespace pomvarin::check {
namespace {

using test::TempDisc;

// Two entries, each with its package; a section nobody reads, so that every
// machine has the same warning of the file.
void WriteDisc(TempDisc& disc) {
  disc.Write("Pomvarin.ini",
             "[PomvarinInfo]\nVendorCount=2\n"
             "[VendorInfo1]\nVenName=Chips\nVenID=VEN_1D0A\n"
             "SetupFileRootDir=\\Chipset\nSetupFileName=setup.exe\n"
             "SilentInstall=setup.exe /q\n"
             "[VendorInfo2]\nVenName=Lan\nVenID=VEN_1E2B\n"
             "SetupFileRootDir=\\Lan\nSetupFileName=setup.exe\n"
             "SilentInstall=setup.exe /s\n[Extra]\nkey=1\n");
  disc.Write("Chipset/setup.exe");
  disc.Write("Chipset/chip.inf",
             "[Version]\nSignature=$Windows NT$\n[Manufacturer]\nM=Models\n"
             "[Models]\nd = i, PCI\\VEN_1D0A&DEV_0100\n");
  disc.Write("Lan/setup.exe");
}

Device Chipset(int revision) {
  return Device{{"PCI\\VEN_1D0A&DEV_0100&REV_0" + std::to_string(revision)}, {}};
}

// The check as the command makes it, the disc opened at the first new
// configuration.
struct Checked {
  DiscCheck disc;
  int opened = 0;
  FleetCheck check{disc, nullptr, [this] {
                     ++opened;
                     return disc.Open() == CheckOutcome::kChecked;
                   }};
};

// Machines of the same devices are one configuration, checked once; a
// capture's bytes known again count without their devices; configurations
// that decide alike share one outcome, and the file's warning is held once
// for all of them.
TEST(FleetCheckTest, ChecksEachConfigurationOnceAndFoldsItIntoNumbers) {
  TempDisc disc;
  WriteDisc(disc);
  Checked checked;
  const Digest bytes = DigestOf(std::string_view("the capture of a"));
  const Device lan{{"PCI\\VEN_1E2B&DEV_3001&REV_04"}, {}};
  EXPECT_FALSE(checked.check.AddKnown("a", bytes));
  EXPECT_TRUE(checked.check.Add("a", &bytes, {Chipset(1)}));
  EXPECT_TRUE(checked.check.AddKnown("a-again", bytes));
  EXPECT_TRUE(checked.check.Add("b", nullptr, {Chipset(1)}));
  EXPECT_TRUE(checked.check.Add("c", nullptr, {Chipset(2)}));
  EXPECT_TRUE(checked.check.Add("d", nullptr, {Chipset(2), lan}));
  EXPECT_TRUE(checked.check.Add("e", nullptr, {}));
  EXPECT_EQ(checked.opened, 1);
  const FleetResults results = checked.check.Finish({});

  ASSERT_EQ(results.configurations.size(), 4u);
  std::vector<Number32> machines, outcomes;
  for (const FleetConfiguration& configuration : results.configurations) {
    machines.push_back(configuration.machines);
    outcomes.push_back(configuration.outcome);
  }
  EXPECT_EQ(machines, (std::vector<Number32>{3, 1, 1, 1}));
  EXPECT_EQ(outcomes, (std::vector<Number32>{0, 0, 1, 2}));
  ASSERT_EQ(results.outcomes.size(), 3u);
  EXPECT_EQ(results.outcomes[1].matched, (std::vector<bool>{true, true}));
  EXPECT_TRUE(results.outcomes[2].showsBox);
  EXPECT_EQ(results.devices[results.configurations[1].matchedDevices[0]],
            Chipset(2).hardwareIds[0]);
  ASSERT_EQ(results.machines.size(), 6u);
  EXPECT_EQ(results.machines[2], "b");
  EXPECT_EQ(results.machines.configurations[2], 0u);

  const FleetTallies tallies = Tally(results);
  EXPECT_EQ(tallies.machines, 6u);
  EXPECT_EQ(tallies.machinesWithBox, 1u);
  EXPECT_EQ(tallies.entries[0].machines, 5u);
  ASSERT_EQ(tallies.entries[0].devices.size(), 2u);
  EXPECT_EQ(tallies.entries[0].devices[0].machines, 3u);  // most first
  // [Extra] is warned of once, on every machine.
  std::size_t extra = 0;
  for (std::size_t w = 0; w < results.warnings.size(); ++w)
    if (results.warnings[w].section == "Extra") {
      ++extra;
      EXPECT_EQ(tallies.warningMachines[w], 6u);
    }
  EXPECT_EQ(extra, 1u);
}

// Past the limits the text names the first and counts the rest, and
// --json-lines gives every machine its line, in the order read.
TEST(FleetCheckTest, FoldsLongListsInTextAndWritesALineAMachine) {
  TempDisc disc;
  WriteDisc(disc);
  Checked checked;
  for (int m = 0; m < 25; ++m)
    checked.check.Add("pc" + std::to_string(m), nullptr,
                      {Device{{"PCI\\VEN_1D0A&DEV_0100&SUBSYS_0000" +
                               std::to_string(1000 + m)},
                              {}}});
  const FleetResults results = checked.check.Finish({});
  const std::string text = MakeTextWriter()->Fleet(results);
  EXPECT_NE(text.find("Machines:     25 machines in 25 configurations, 1 outcome\n"),
            std::string::npos) << text;
  EXPECT_NE(text.find("  outcome 1: 25 machines in 25 configurations: pc0, pc1, "
                      "pc2, pc3, pc4 and 20 more\n"),
            std::string::npos) << text;
  EXPECT_NE(text.find("  configuration 20: 1 device; outcome 1; 1 machine: pc19\n"
                      "  and 5 more configurations on 5 machines\n"),
            std::string::npos) << text;
  EXPECT_NE(text.find("    and 20 more devices on 20 machines\n"), std::string::npos)
      << text;

  std::vector<std::string> lines;
  WriteJsonLines(results, [&](const std::string& chunk) {
    for (std::size_t at = 0; at < chunk.size();) {
      const std::size_t end = chunk.find('\n', at);
      lines.push_back(chunk.substr(at, end - at));
      at = end + 1;
    }
  });
  ASSERT_EQ(lines.size(), 25u);
  EXPECT_EQ(lines[24].rfind("{\"machine\": \"pc24\", \"configuration\": 25, "
                            "\"outcome\": 1, \"warningBox\": false, \"starts\": "
                            "[{\"section\": \"VendorInfo1\", \"device\": "
                            "\"PCI\\\\VEN_1D0A&DEV_0100&SUBSYS_00001024\"",
                            0),
            0u) << lines[24];
}

// A disc that cannot be read ends the reading at the first machine.
TEST(FleetCheckTest, StopsWhenTheDiscCannotBeOpened) {
  DiscCheck disc;
  FleetCheck check(disc, nullptr, [] { return false; });
  EXPECT_FALSE(check.Add("a", nullptr, {Chipset(1)}));
  EXPECT_TRUE(check.empty());
}

}  // namespace
}  // namespace pomvarin::check
