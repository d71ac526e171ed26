#include "check/report/report_writer.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace pomvarin::check {
namespace {

Configuration SampleMachine() {
  Configuration machine;
  machine.machines = {"lspci.txt"};
  Report& report = machine.report;
  report.configurationPath = "D:\\Pomvarin.ini";
  report.vendorCountText = "3";
  report.vendorCount = 3;
  EntryReport matched;
  matched.number = matched.lastNumber = 1;
  matched.sectionPresent = true;
  matched.section = "VendorInfo1";
  matched.venName = "Realtek";
  matched.upperId = "VEN_10EC";
  matched.lowerId = "Ven_10ec";
  matched.matched = true;
  matched.device = "PCI\\VEN_10EC&DEV_8168";
  matched.root = "D:\\Drivers\\Realtek";
  matched.normal = std::vector<SetupFile>{
      {"D:\\Drivers\\Realtek\\a\\setup.exe", "", SetupKind::kNsis},
      {"D:\\Drivers\\Realtek\\b\\setup.exe", ""}};
  matched.silent = std::vector<SetupFile>{
      {"D:\\Drivers\\Realtek\\a\\setup.exe", " /s", SetupKind::kNsis}};
  EntryReport missing;
  missing.number = 2;
  missing.lastNumber = 3;
  missing.section = "VendorInfo2";
  missing.venName = "Unknow";
  missing.upperId = "UNKNOW";
  missing.lowerId = "Unknow";
  missing.root = "D:\\Unknow";
  report.entries = {matched, missing};
  report.warnings = {{"VendorInfo1", "SetupFileName", "found twice"},
                     {"Extra", "", "is never read"}};
  return machine;
}

TEST(TextWriterTest, ShowsEveryEntryTheWarningsTheOutcomeAndThePackages) {
  FleetReport packages;
  packages.infFiles = 2;
  packages.configurations.resize(1);
  packages.configurations[0].unserved["VEN_8086"] = {"PCI\\VEN_8086&DEV_1237",
                                               "PCI\\VEN_8086&DEV_7000"};
  packages.warnings = {{FleetWarningKind::kFalseStart, "VendorInfo1", 1,
                        "PCI\\VEN_10EC&DEV_8168", "",
                        "starts for PCI\\VEN_10EC&DEV_8168"}};
  const DeviceSource source{"lspci.txt", 7,
                            {"a device (capture line 4): no subsystem"}};
  EXPECT_EQ(MakeTextWriter()->SingleMachine(SampleMachine(), source, packages),
            "Pomvarin.ini: D:\\Pomvarin.ini\n"
            "Devices:      7 from lspci.txt\n"
            "  note: a device (capture line 4): no subsystem\n"
            "VendorCount:  3\n"
            "\n"
            "[VendorInfo1] Realtek\n"
            "  VenID:    VEN_10EC, then Ven_10ec\n"
            "  device:   PCI\\VEN_10EC&DEV_8168\n"
            "  root:     D:\\Drivers\\Realtek\n"
            "  normal:   D:\\Drivers\\Realtek\\a\\setup.exe with no parameters "
            "(NSIS installer)\n"
            "            D:\\Drivers\\Realtek\\b\\setup.exe with no parameters "
            "(program of unknown kind)\n"
            "  silent:   D:\\Drivers\\Realtek\\a\\setup.exe with \" /s\" "
            "(NSIS installer)\n"
            "\n"
            "[VendorInfo2] Unknow (section missing; so are VendorInfo3 to "
            "VendorInfo3, which read alike)\n"
            "  VenID:    UNKNOW, then Unknow\n"
            "  device:   no match\n"
            "  root:     D:\\Unknow\n"
            "  normal:   not found\n"
            "  silent:   not found\n"
            "\n"
            "Warnings: 2\n"
            "  [VendorInfo1] SetupFileName: found twice\n"
            "  [Extra]: is never read\n"
            "\n"
            "Summary: 1 of 3 vendor entries match. The launcher would start 2 "
            "setups (1 with /s) and show no warning box.\n"
            "\n"
            "Driver packages: 2 .inf files\n"
            "Devices no started entry's .inf serves:\n"
            "  VEN_8086: PCI\\VEN_8086&DEV_1237, PCI\\VEN_8086&DEV_7000\n"
            "\n"
            "Package warnings: 1\n"
            "  false start (entry VendorInfo1, machine lspci.txt): starts for "
            "PCI\\VEN_10EC&DEV_8168\n");
}

TEST(JsonReportWriterTest, GivesToolsTheSameFacts) {
  Configuration machine = SampleMachine();
  machine.machines = {""};
  Report& report = machine.report;
  report.entries.resize(1);
  report.entries[0].normal =
      std::vector<SetupFile>{report.entries[0].normal[0]};
  report.warnings.resize(1);
  FleetReport packages;
  packages.configurations.resize(1);
  EXPECT_EQ(
      MakeJsonWriter()->SingleMachine(machine, DeviceSource{"", 2, {}}, packages),
      "{\n"
      "  \"configuration\": \"D:\\\\Pomvarin.ini\",\n"
      "  \"devices\": {\"source\": null, \"count\": 2, \"notes\": []},\n"
      "  \"vendorCount\": {\"text\": \"3\", \"value\": 3},\n"
      "  \"entries\": [\n"
      "    {\"section\": \"VendorInfo1\", \"sectionPresent\": true, "
      "\"lastSection\": \"VendorInfo1\", \"venName\": \"Realtek\", \"venId\": "
      "[\"VEN_10EC\", \"Ven_10ec\"], \"device\": \"PCI\\\\VEN_10EC&DEV_8168\", "
      "\"root\": \"D:\\\\Drivers\\\\Realtek\", \"normal\": [{\"path\": "
      "\"D:\\\\Drivers\\\\Realtek\\\\a\\\\setup.exe\", \"parameters\": \"\", "
      "\"kind\": \"nsis\"}], \"silent\": [{\"path\": "
      "\"D:\\\\Drivers\\\\Realtek\\\\a\\\\setup.exe\", \"parameters\": \" /s\", "
      "\"kind\": \"nsis\"}]}\n"
      "  ],\n"
      "  \"warnings\": [\n"
      "    {\"section\": \"VendorInfo1\", \"key\": \"SetupFileName\", "
      "\"message\": \"found twice\"}\n"
      "  ],\n"
      "  \"warningBox\": false,\n"
      "  \"summary\": \"1 of 1 vendor entry match. The launcher would start 1 "
      "setup (1 with /s) and show no warning box.\",\n"
      "  \"infFiles\": 0,\n"
      "  \"localisedStrings\": [],\n"
      "  \"unserved\": [\n"
      "    {\"machine\": \"\", \"byVendor\": {}}\n"
      "  ],\n"
      "  \"packageWarnings\": []\n"
      "}\n");
}

TEST(ReportWriterTest, WritesTheWarningsListAlikeForOneMachineAndForMany) {
  const Configuration machine = SampleMachine();
  FleetReport packages;
  packages.configurations.resize(1);
  // Two machines of one configuration, each warning on both.
  FleetResults fleet;
  fleet.configurationPath = machine.report.configurationPath;
  fleet.entries = machine.report.entries;
  fleet.warnings = machine.report.warnings;
  fleet.outcomes = {FleetOutcome{{true, false}, false, {}}};
  FleetConfiguration configuration;
  configuration.machines = 2;
  configuration.matchedDevices = {fleet.devices.Add(machine.report.entries[0].device)};
  configuration.warnings = {0, 1};
  fleet.configurations = {configuration};
  for (const char* name : {"lspci.txt", "desk.txt"}) {
    fleet.machines.names += name;
    fleet.machines.ends.push_back(static_cast<Number32>(fleet.machines.names.size()));
    fleet.machines.configurations.push_back(0);
  }
  const struct {
    std::unique_ptr<ReportWriter> writer;
    std::string single, fleet;
  } cases[] = {
      {MakeTextWriter(),
       "\nWarnings: 2\n"
       "  [VendorInfo1] SetupFileName: found twice\n"
       "  [Extra]: is never read\n",
       "\nWarnings: 2\n"
       "  [VendorInfo1] SetupFileName: found twice\n"
       "  [Extra]: is never read\n"},
      {MakeJsonWriter(),
       "  \"warnings\": [\n"
       "    {\"section\": \"VendorInfo1\", \"key\": \"SetupFileName\", "
       "\"message\": \"found twice\"},\n"
       "    {\"section\": \"Extra\", \"key\": null, \"message\": \"is never "
       "read\"}\n"
       "  ],\n",
       "  \"warnings\": [\n"
       "    {\"section\": \"VendorInfo1\", \"key\": \"SetupFileName\", "
       "\"message\": \"found twice\", \"machines\": 2},\n"
       "    {\"section\": \"Extra\", \"key\": null, \"message\": \"is never "
       "read\", \"machines\": 2}\n"
       "  ],\n"},
  };
  for (const auto& c : cases) {
    const std::string single =
        c.writer->SingleMachine(machine, DeviceSource{}, packages);
    const std::string many = c.writer->Fleet(fleet);
    EXPECT_NE(single.find(c.single), std::string::npos) << single;
    EXPECT_NE(many.find(c.fleet), std::string::npos) << many;
  }
}

}  // namespace
}  // namespace pomvarin::check
