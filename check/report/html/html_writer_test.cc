#include "check/report/html/html_writer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "check/report/html/html_parts.h"
#include "check/report/html/html_text.h"
#include "check/report/utf8.h"

namespace pomvarin::check {
namespace {

TEST(HtmlTextTest, EscapesMarkupAndMakesEveryByteUtf8) {
  const struct {
    std::string text, html;
  } cases[] = {
      {"<script>alert('x')</script>",
       "&lt;script&gt;alert(&#39;x&#39;)&lt;/script&gt;"},
      {"a&b \"c\"", "a&amp;b &quot;c&quot;"},
      {"Caf\xE9", "Caf\xC3\xA9"},          // a code page's letter: é
      {"Caf\xC3\xA9 \xE2\x9C\x93", "Caf\xC3\xA9 \xE2\x9C\x93"},  // UTF-8 stays
      {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xC2\x80"},  // a surrogate: bytes
      {"a\x01\x7F" "b\t\n", "a\xEF\xBF\xBD\xEF\xBF\xBD" "b\t\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(Html(c.text), c.html) << c.text;
}

TEST(HtmlTextTest, GivesTheTimeInUtcAndCountsWithTheThousandsApart) {
  EXPECT_EQ(UtcTimeText(0), "1970-01-01 00:00 UTC");
  EXPECT_EQ(UtcTimeText(-1), "1969-12-31 23:59 UTC");
  EXPECT_EQ(UtcTimeText(951782400), "2000-02-29 00:00 UTC");
  EXPECT_EQ(UtcTimeText(1796889541), "2026-12-10 07:59 UTC");
  EXPECT_EQ(UtcTimeText(4107542400), "2100-03-01 00:00 UTC");
  EXPECT_EQ(Number(0), "0");
  EXPECT_EQ(Number(999), "999");
  EXPECT_EQ(Number(1000), "1,000");
  EXPECT_EQ(Number(1234567), "1,234,567");
}

bool IsUtf8(const std::string& text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (static_cast<unsigned char>(text[i]) < 0x80) continue;
    const std::size_t length = Utf8SequenceLength(text, i);
    if (!length) return false;
    i += length - 1;
  }
  return true;
}

// Every text that comes from outside, hostile in one way or another, in a
// fleet and in one machine's page.
TEST(HtmlWriterTest, WritesEveryOutsideTextAsTextOnly) {
  const std::string hostile = "<script>alert(1)</script>\xFF";
  const std::string shown = "&lt;script&gt;alert(1)&lt;/script&gt;\xC3\xBF";
  Configuration configuration;
  configuration.machines = {hostile + "machine", "b.txt"};
  Report& report = configuration.report;
  report.configurationPath = hostile + "disc";
  report.vendorCountText = hostile + "count";
  EntryReport entry;
  entry.section = hostile + "section";
  entry.venName = hostile + "venName";
  entry.upperId = hostile + "upper";
  entry.matched = true;
  entry.device = hostile + "device\" onmouseover=\"x";
  entry.root = hostile + "root";
  entry.normal = std::vector<SetupFile>{{hostile + "file", hostile + "parameters"}};
  report.entries = {entry};
  Device device;
  device.note = hostile + "note";
  configuration.devices = {device};
  const std::vector<Warning> warnings = {
      {hostile + "warned", hostile + "key", hostile + "message"}};
  FleetReport packages;
  packages.configurations.resize(1);
  packages.configurations[0].unserved[hostile + "vendor"] = {hostile + "id"};
  packages.warnings = {{FleetWarningKind::kMissedDriver, entry.section, 1,
                        hostile + "inf-device", hostile + "inf",
                        hostile + "inf-message"}};
  const std::vector<SkippedCapture> skipped = {{hostile, hostile + "skipped"}};
  FleetResults results;
  results.configurationPath = report.configurationPath;
  results.vendorCountText = report.vendorCountText;
  results.entries = report.entries;
  results.warnings = warnings;
  results.skipped = skipped;
  results.outcomes = {FleetOutcome{{true}, false, {}}};
  FleetConfiguration inFleet;
  inFleet.machines = 2;
  inFleet.devices = 1;
  inFleet.matchedDevices = {results.devices.Add(entry.device)};
  inFleet.notes = {results.notes.Add(device.note)};
  inFleet.warnings = {0};
  inFleet.unserved = {results.devices.Add(hostile + "id")};
  results.vendorOfDevice.resize(inFleet.unserved[0] + 1);
  results.vendorOfDevice[inFleet.unserved[0]] = results.vendors.Add(hostile + "vendor");
  inFleet.packageWarnings = {0};
  results.machineWarnings = {packages.warnings[0]};
  results.configurations = {inFleet};
  for (const std::string& name : configuration.machines) {
    results.machines.names += name;
    results.machines.ends.push_back(
        static_cast<Number32>(results.machines.names.size()));
    results.machines.configurations.push_back(0);
  }
  const std::string fleet = HtmlFleet(results, hostile);
  report.warnings = warnings;
  const std::string single = HtmlSingleMachine(
      configuration, {hostile + "capture", 1, {}}, packages, hostile);
  for (const std::string& page : {fleet, single}) {
    EXPECT_TRUE(IsUtf8(page));
    EXPECT_EQ(page.find("<script"), std::string::npos);
    EXPECT_EQ(page.find("\" onmouseover"), std::string::npos);
    for (const char* what :
         {"disc", "count", "section", "venName", "upper", "device", "root",
          "file", "parameters", "note", "key", "message", "vendor", "id",
          "inf-device", "inf", "inf-message"})
      EXPECT_NE(page.find(shown + what), std::string::npos) << what;
  }
  EXPECT_NE(fleet.find(shown + "machine, b.txt"), std::string::npos);
  EXPECT_NE(fleet.find(shown + "skipped"), std::string::npos);
  EXPECT_NE(single.find(shown + "capture"), std::string::npos);
}

}  // namespace
}  // namespace pomvarin::check
