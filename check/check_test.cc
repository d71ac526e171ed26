// The whole check on real temp discs: what it reports and what it warns of.
#include "check/check.h"

#include <gtest/gtest.h>

#include <climits>
#include <ostream>
#include <string>
#include <vector>

#include "check/input/input_limits.h"
#include "tests/temp_disc.h"

namespace pomvarin::check {
namespace {

using test::TempDisc;

const Devices kDevices{
    {{"PCI\\VEN_8086&DEV_0D57&SUBSYS_00000000&REV_00",
      "PCI\\VEN_8086&DEV_0D57&SUBSYS_00000000"}},
    {{"PCI\\VEN_1AF4&DEV_1041&SUBSYS_11001AF4&REV_01"}},
    // Another vendor's device built for vendor 8086, and one whose ID holds
    // its vendor only in the lower pass's form.
    {{"PCI\\VEN_1B36&DEV_000D&SUBSYS_44448086&REV_01"}},
    {{"PCI\\Ven_ab12&DEV_0001"}},
};

// Entry n with all five keys, rooted at \Drivers\<folder>.
std::string Vendor(int n, const std::string& venId, const std::string& folder,
                   const std::string& extra = "") {
  return "[VendorInfo" + std::to_string(n) + "]\nVenName=Vendor " +
         std::to_string(n) + "\nVenID=" + venId +
         "\nSetupFileRootDir=\\Drivers\\" + folder +
         "\nSetupFileName=setup.exe -normal\nSilentInstall=setup.exe /q\n" +
         extra;
}

std::vector<std::string> WarnedKeys(const Report& report) {
  std::vector<std::string> keys;
  for (const Warning& warning : report.warnings)
    keys.push_back(warning.section + "|" + warning.key);
  return keys;
}

Report Check(const Devices& devices = kDevices) {
  Report report;
  EXPECT_EQ(CheckCurrentDirectory(devices, DeviceOrigin::kCapture, &report), CheckOutcome::kChecked);
  return report;
}

TEST(CheckTest, ACleanDiscReportsWhatWouldStartAndWarnsOfNothing) {
  TempDisc disc;
  disc.Write("Pomvarin.ini", "[PomvarinInfo]\nVendorCount=2\n" +
                                 Vendor(1, "ven_1af4", "VirtIO") +
                                 Vendor(2, "VEN_10EC", "Realtek"));
  disc.Write("Drivers/VirtIO/Setup.EXE");
  disc.Write("Drivers/Realtek/setup.exe");

  const Report report = Check();
  EXPECT_TRUE(report.warnings.empty()) << report.warnings[0].message;
  EXPECT_FALSE(report.showsBox);
  ASSERT_EQ(report.entries.size(), 2u);

  const EntryReport& virtio = report.entries[0];
  EXPECT_EQ(virtio.section, "VendorInfo1");
  EXPECT_EQ(virtio.upperId, "VEN_1AF4");
  EXPECT_EQ(virtio.lowerId, "Ven_1af4");
  EXPECT_TRUE(virtio.matched);
  EXPECT_EQ(virtio.device, kDevices[1].hardwareIds[0]);
  const std::string root = disc.directory() + "\\Drivers\\VirtIO";
  EXPECT_EQ(virtio.root, root);
  ASSERT_EQ(virtio.normal.size(), 1u);
  EXPECT_EQ(virtio.normal[0].path, root + "\\Setup.EXE");  // case on disc
  EXPECT_EQ(virtio.normal[0].parameters, " -normal");
  ASSERT_EQ(virtio.silent.size(), 1u);
  EXPECT_EQ(virtio.silent[0].parameters, " /q");

  EXPECT_FALSE(report.entries[1].matched);
  EXPECT_EQ(report.entries[1].normal.size(), 1u);
}

TEST(CheckTest, EitherCasePassMatchesAndNothingMatchedMeansTheBox) {
  const struct {
    const char* venId;
    const char* device;  // the one reported, "" for none
  } cases[] = {
      {"VEN_10DE", ""},
      {"ven_ab12", "PCI\\Ven_ab12&DEV_0001"},  // found by the lower pass only
  };
  for (const auto& c : cases) {
    TempDisc disc;
    disc.Write("Pomvarin.ini",
               "[PomvarinInfo]\nVendorCount=1\n" + Vendor(1, c.venId, "N"));
    disc.Write("Drivers/N/setup.exe");
    const Report report = Check();
    const bool matched = c.device[0] != '\0';
    EXPECT_EQ(report.showsBox, !matched) << c.venId;
    ASSERT_EQ(report.entries.size(), 1u);
    EXPECT_EQ(report.entries[0].matched, matched) << c.venId;
    EXPECT_EQ(report.entries[0].device, c.device) << c.venId;
  }
}

struct LintCase {
  const char* name;
  std::string ini;
  std::vector<std::string> warned;  // "section|key", in order
  std::string message;              // a part of the first warning
};

void PrintTo(const LintCase& c, std::ostream* out) { *out << c.name; }

class LintTest : public ::testing::TestWithParam<LintCase> {};

TEST_P(LintTest, WarnsOfWhatWouldGoWrong) {
  const LintCase& c = GetParam();
  TempDisc disc;
  disc.Write("Pomvarin.ini", c.ini);
  disc.Write("Drivers/A/setup.exe");
  disc.Write("Drivers/B/one/setup.exe");
  disc.Write("Drivers/B/two/SETUP.exe");
  const Report report = Check();
  EXPECT_EQ(WarnedKeys(report), c.warned);
  if (!report.warnings.empty())
    EXPECT_NE(report.warnings[0].message.find(c.message), std::string::npos)
        << report.warnings[0].message;
}

const std::string kCount1 = "[PomvarinInfo]\nVendorCount=1\n";

INSTANTIATE_TEST_SUITE_P(
    Lints, LintTest,
    ::testing::Values(
        LintCase{"CountMissing", Vendor(1, "VEN_8086", "A"),
                 {"PomvarinInfo|VendorCount", "VendorInfo1|"},
                 "is missing: no vendor entry is handled"},
        LintCase{"CountWithTrailingText",
                 "[PomvarinInfo]\nVendorCount=1 vendor\n" +
                     Vendor(1, "VEN_8086", "A"),
                 {"PomvarinInfo|VendorCount"}, "\"1 vendor\" reads as 1"},
        LintCase{"CountBelowOne",
                 "[PomvarinInfo]\nVendorCount=-2\n" + Vendor(1, "VEN_8086", "A"),
                 {"PomvarinInfo|VendorCount", "VendorInfo1|"},
                 "is -2: no vendor entry is handled"},
        LintCase{"CountAboveTheSections",
                 "[PomvarinInfo]\nVendorCount=3\n" + Vendor(1, "VEN_8086", "A"),
                 {"PomvarinInfo|VendorCount"},
                 "2 of VendorInfo1 to VendorInfo3 are missing (the first is "
                 "VendorInfo2)"},
        LintCase{"SectionsBeyondTheCountOrMisnamed",
                 kCount1 + Vendor(1, "VEN_8086", "A") + "[VendorInfo2]\n" +
                     "[VendorInfo01]\n[Vendors]\n",
                 {"VendorInfo2|", "VendorInfo01|", "Vendors|"},
                 "is never read: VendorCount is 1"},
        LintCase{"MisspeltAndRepeatedKeys",
                 "\xEF\xBB\xBF[PomvarinInfo]\nVendorCount=1\nVendorCont=2\n"
                 "; VendorCont=3 is a comment\nno equals sign, no key\n" +
                     Vendor(1, "VEN_8086", "A",
                            "SetupFileNmae=x.exe\nvenid=VEN_1AF4\n") +
                     "[vendorinfo1]\nVenID=x\n",
                 {"PomvarinInfo|VendorCont", "VendorInfo1|SetupFileNmae",
                  "VendorInfo1|venid", "vendorinfo1|"},
                 "is never read (misspelt?)"},
        LintCase{"MissingKeys",
                 kCount1 + "[VendorInfo1]\nVenID=VEN_8086\nSetupFileName=setup."
                           "exe\n",
                 {"VendorInfo1|SetupFileRootDir", "VendorInfo1|SilentInstall",
                  "VendorInfo1|SetupFileName"},
                 "is missing: it reads as \"Unknow\""},
        LintCase{"EmptyVenId", kCount1 + Vendor(1, "", "A"),
                 {"VendorInfo1|VenID"}, "matches the first PCI device"},
        LintCase{"VenIdInTheDeviceDigitsOfAnotherVendor",
                 kCount1 + Vendor(1, "0D57", "A"),
                 {"VendorInfo1|VenID"},
                 "\"0D57\" also occurs in the DEV_ digits of "
                 "PCI\\VEN_8086&DEV_0D57"},
        LintCase{"VenIdInTheSubsystemDigitsOfAnotherVendor",
                 kCount1 + Vendor(1, "8086", "A"),
                 {"VendorInfo1|VenID"},
                 "\"8086\" also occurs in the SUBSYS_ digits of "
                 "PCI\\VEN_1B36&DEV_000D&SUBSYS_44448086&REV_01: a device of "
                 "another vendor can match (write VEN_8086 to test the vendor "
                 "only)"},
        LintCase{"WarningsInTheOrderOfTheFileCountFirst",
                 "[VendorInfo2]\nVenID=VEN_8086\n" +
                     Vendor(1, "VEN_8086", "A", "Extra=1\n") +
                     "[PomvarinInfo]\nVendorCount=2x\n",
                 {"PomvarinInfo|VendorCount", "VendorInfo2|SetupFileRootDir",
                  "VendorInfo2|SetupFileName", "VendorInfo2|SilentInstall",
                  "VendorInfo1|Extra"},
                 "\"2x\" reads as 2"},
        LintCase{"RootWithoutTheLeadingBackslash",
                 kCount1 + "[VendorInfo1]\nVenID=VEN_8086\nSetupFileRootDir="
                           "Drivers\\A\nSetupFileName=setup.exe\n"
                           "SilentInstall=setup.exe\n",
                 {"VendorInfo1|SetupFileRootDir", "VendorInfo1|SetupFileName",
                  "VendorInfo1|SilentInstall"},
                 "does not begin with \"\\\""},
        LintCase{"NamesThatCanNeverMatch",
                 kCount1 + "[VendorInfo1]\nVenID=VEN_8086\nSetupFileRootDir="
                           "\\Drivers\nSetupFileName=A\\setup.exe\n"
                           "SilentInstall=\"\"setup.exe\" /q\"\n",
                 {"VendorInfo1|SetupFileName", "VendorInfo1|SilentInstall"},
                 "names a folder in \"A\\setup.exe\""},
        LintCase{"ALeadingBlankKeptByQuotes",
                 kCount1 + "[VendorInfo1]\nVenID=VEN_8086\nSetupFileRootDir="
                           "\\Drivers\\A\nSetupFileName=setup.exe\n"
                           "SilentInstall=\" setup.exe /q\"\n",
                 {"VendorInfo1|SilentInstall"},
                 "begins with a blank"},
        LintCase{"SetupNotFoundOrFoundTwice",
                 kCount1 + "[VendorInfo1]\nVenID=VEN_8086\nSetupFileRootDir="
                           "\\Drivers\\B\nSetupFileName=setup.exe\n"
                           "SilentInstall=install.exe /q\n",
                 {"VendorInfo1|SetupFileName", "VendorInfo1|SilentInstall"},
                 "is found in 2 folders, and every one of them would start"}),
    [](const ::testing::TestParamInfo<LintCase>& info) {
      return std::string(info.param.name);
    });

// The launcher lists root + "\*": a root of 257 characters is searched, one
// of 258 or more never is, and the check says so.
TEST(CheckTest, ARootWhosePatternPassesTheLimitIsNeverSearched) {
  for (const std::size_t length : {257u, 258u, 259u, 260u}) {
    TempDisc disc;
    const std::string name(length - disc.directory().size() - 1, 'd');
    disc.Write(name + "/x");
    disc.Write("Pomvarin.ini",
               kCount1 + "[VendorInfo1]\nVenID=VEN_8086\nSetupFileRootDir=\\" +
                   name + "\nSetupFileName=x\nSilentInstall=x\n");
    const Report report = Check();
    ASSERT_EQ(report.entries.at(0).root.size(), length);
    if (length == 257u) {
      EXPECT_TRUE(report.warnings.empty()) << report.warnings.at(0).message;
      EXPECT_EQ(report.entries[0].normal.size(), 1u);
      continue;
    }
    EXPECT_EQ(WarnedKeys(report),
              std::vector<std::string>{"VendorInfo1|SetupFileRootDir"})
        << length;
    EXPECT_NE(report.warnings.at(0).message.find("passes the limit of 259"),
              std::string::npos);
    EXPECT_TRUE(report.entries[0].normal.empty()) << length;
  }
}

TEST(CheckTest, MissingSectionsInARowAreReportedOnce) {
  TempDisc disc;
  disc.Write("Pomvarin.ini", "[PomvarinInfo]\nVendorCount=2147483647\n" +
                                 Vendor(1, "VEN_8086", "A") +
                                 Vendor(4, "VEN_8086", "A"));
  disc.Write("Drivers/A/setup.exe");
  const Report report = Check();
  ASSERT_EQ(report.entries.size(), 4u);
  const EntryReport& gap = report.entries[1];
  EXPECT_FALSE(gap.sectionPresent);
  EXPECT_EQ(gap.number, 2);
  EXPECT_EQ(gap.lastNumber, 3);
  EXPECT_EQ(gap.venName, "Unknow");
  EXPECT_EQ(gap.root, disc.directory() + "Unknow");
  EXPECT_EQ(report.entries[2].number, 4);
  EXPECT_EQ(report.entries[3].number, 5);
  EXPECT_EQ(report.entries[3].lastNumber, INT32_MAX);
}

TEST(CheckTest, NoReadablePomvarinIniIsNoCheck) {
  TempDisc disc;
  Report report;
  EXPECT_EQ(CheckCurrentDirectory(kDevices, DeviceOrigin::kCapture, &report),
            CheckOutcome::kUnreadableConfiguration);
  disc.MakeFolder("Pomvarin.ini");
  EXPECT_EQ(CheckCurrentDirectory(kDevices, DeviceOrigin::kCapture, &report),
            CheckOutcome::kUnreadableConfiguration);
  EXPECT_EQ(report.configurationPath, disc.directory() + "\\Pomvarin.ini");
}

// At the limit the file is checked; one byte more and it is refused
// before any reader takes it whole.
TEST(CheckTest, APomvarinIniPastTheLimitIsRefused) {
  const std::string ini =
      "[PomvarinInfo]\nVendorCount=1\n" + Vendor(1, "VEN_8086", "A");
  for (std::size_t size : {kConfigurationLimit, kConfigurationLimit + 1}) {
    TempDisc disc;
    // A comment line brings the file to its size; the reader passes it over.
    disc.Write("Pomvarin.ini",
               ini + ";" + std::string(size - ini.size() - 2, 'x') + "\n");
    const bool fits = size == kConfigurationLimit;
    Report report;
    EXPECT_EQ(CheckCurrentDirectory(kDevices, DeviceOrigin::kCapture, &report),
              fits ? CheckOutcome::kChecked
                   : CheckOutcome::kConfigurationTooLarge);
    EXPECT_EQ(report.configurationPath, disc.directory() + "\\Pomvarin.ini");
    EXPECT_EQ(report.entries.size(), fits ? 1u : 0u);
  }
}

}  // namespace
}  // namespace pomvarin::check
