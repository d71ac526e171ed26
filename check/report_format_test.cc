#include "check/report_format.h"

#include <gtest/gtest.h>

#include <string>

namespace pomvarin::check {
namespace {

TEST(JsonStringTest, EscapesWhatJsonMustAndKeepsUtf8) {
  const struct {
    std::string text;
    std::string json;
  } cases[] = {
      {"C:\\Disc\\setup.exe", "\"C:\\\\Disc\\\\setup.exe\""},
      {"say \"hi\"", "\"say \\\"hi\\\"\""},
      {std::string("a\tb\nc\x01\x7f", 7), "\"a\\u0009b\\u000ac\\u0001\\u007f\""},
      {"caf\xC3\xA9", "\"caf\xC3\xA9\""},        // UTF-8 stays
      {"caf\xE9", "\"caf\\u00e9\""},             // a code-page byte
      {"\xC3", "\"\\u00c3\""},                   // a cut sequence
      {"\xE2\x82", "\"\\u00e2\\u0082\""},
      {"\xC0\xAF", "\"\\u00c0\\u00af\""},        // an overlong form
  };
  for (const auto& c : cases) EXPECT_EQ(JsonString(c.text), c.json) << c.text;
}

Report SampleReport() {
  Report report;
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
  matched.normal = {{"D:\\Drivers\\Realtek\\a\\setup.exe", ""},
                    {"D:\\Drivers\\Realtek\\b\\setup.exe", ""}};
  matched.silent = {{"D:\\Drivers\\Realtek\\a\\setup.exe", " /s"}};
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
  return report;
}

TEST(FormatTextTest, ShowsEveryEntryTheWarningsAndTheOutcome) {
  EXPECT_EQ(FormatText(SampleReport(), DeviceSource{"lspci.txt", 7}),
            "Pomvarin.ini: D:\\Pomvarin.ini\n"
            "Devices:      7 from lspci.txt\n"
            "VendorCount:  3\n"
            "\n"
            "[VendorInfo1] Realtek\n"
            "  VenID:    VEN_10EC, then Ven_10ec\n"
            "  device:   PCI\\VEN_10EC&DEV_8168\n"
            "  root:     D:\\Drivers\\Realtek\n"
            "  normal:   D:\\Drivers\\Realtek\\a\\setup.exe with no parameters\n"
            "            D:\\Drivers\\Realtek\\b\\setup.exe with no parameters\n"
            "  silent:   D:\\Drivers\\Realtek\\a\\setup.exe with \" /s\"\n"
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
            "setups (1 with /s) and show no warning box.\n");
}

TEST(FormatJsonTest, GivesToolsTheSameFacts) {
  Report report = SampleReport();
  report.entries.resize(1);
  report.entries[0].normal.resize(1);
  report.warnings.resize(1);
  report.showsBox = false;
  EXPECT_EQ(
      FormatJson(report, DeviceSource{"", 2}),
      "{\n"
      "  \"configuration\": \"D:\\\\Pomvarin.ini\",\n"
      "  \"devices\": {\"source\": null, \"count\": 2, \"notes\": []},\n"
      "  \"vendorCount\": {\"text\": \"3\", \"value\": 3},\n"
      "  \"entries\": [\n"
      "    {\"section\": \"VendorInfo1\", \"sectionPresent\": true, "
      "\"lastSection\": \"VendorInfo1\", \"venName\": \"Realtek\", \"venId\": "
      "[\"VEN_10EC\", \"Ven_10ec\"], \"device\": \"PCI\\\\VEN_10EC&DEV_8168\", "
      "\"root\": \"D:\\\\Drivers\\\\Realtek\", \"normal\": [{\"path\": "
      "\"D:\\\\Drivers\\\\Realtek\\\\a\\\\setup.exe\", \"parameters\": \"\"}], "
      "\"silent\": [{\"path\": \"D:\\\\Drivers\\\\Realtek\\\\a\\\\setup.exe\", "
      "\"parameters\": \" /s\"}]}\n"
      "  ],\n"
      "  \"warnings\": [\n"
      "    {\"section\": \"VendorInfo1\", \"key\": \"SetupFileName\", "
      "\"message\": \"found twice\"}\n"
      "  ],\n"
      "  \"warningBox\": false,\n"
      "  \"summary\": \"1 of 1 vendor entry match. The launcher would start 1 "
      "setup (1 with /s) and show no warning box.\"\n"
      "}\n");
}

}  // namespace
}  // namespace pomvarin::check
