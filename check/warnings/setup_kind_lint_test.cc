// Warnings of setups by their kind, case by case.
#include "check/warnings/setup_kind_lint.h"

#include <gtest/gtest.h>

#include "check/check.h"
#include "tests/setup_fixtures.h"
#include "tests/temp_disc.h"

namespace pomvarin::check {
namespace {

using test::FixtureOfKind;
using test::TempDisc;

const Devices kDevices{{{"PCI\\VEN_8086&DEV_100E"}}, {{"PCI\\VEN_10EC&DEV_8168"}}};

std::string Entry(int n, const std::string& venId, const std::string& folder,
                  const std::string& silent) {
  return "[VendorInfo" + std::to_string(n) + "]\nVenID=" + venId +
         "\nVenName=V\nSetupFileRootDir=\\" + folder +
         "\nSetupFileName=" + silent.substr(0, silent.find(' ')) +
         "\nSilentInstall=" + silent + "\n";
}

Report Check() {
  Report report;
  EXPECT_EQ(CheckCurrentDirectory(kDevices, DeviceOrigin::kCapture, &report),
            CheckOutcome::kChecked);
  return report;
}

std::vector<std::string> Messages(const std::vector<Warning>& warnings,
                                  const std::string& key) {
  std::vector<std::string> messages;
  for (const Warning& warning : warnings)
    if (warning.key == key) messages.push_back(warning.message);
  return messages;
}

TEST(SetupKindLintTest, SilentParametersAreWeighedAgainstTheKind) {
  const struct {
    const char* kind;
    std::string silent;
    const char* warning;  // a part of the one warning, "" for none
  } cases[] = {
      {"nsis", "setup.exe /S", ""},
      {"nsis", "setup.exe /s", "(NSIS installer) is not silenced by \" /s\": "
                               "its window would wait on an unattended machine "
                               "(write SilentInstall=setup.exe /S)"},
      {"innoSetup", "setup.exe /VERYSILENT /SUPPRESSMSGBOXES",
       "without its no-restart switch: it may restart Windows when it ends, "
       "without asking (write SilentInstall=setup.exe /VERYSILENT "
       "/SUPPRESSMSGBOXES /NORESTART)"},
      {"installShield", "setup.exe /s",
       "as an InstallScript setup it reads its recorded answers from"},
      {"sevenZipArchive", "setup.exe /s", ""},
  };
  for (const auto& c : cases) {
    TempDisc disc;
    const std::string name = c.silent.substr(0, c.silent.find(' '));
    disc.Write("Pomvarin.ini", "[PomvarinInfo]\nVendorCount=1\n" +
                                   Entry(1, "VEN_8086", "A", c.silent));
    disc.Write("A/" + name, FixtureOfKind(c.kind));
    const auto messages = Messages(Check().warnings, "SilentInstall");
    if (c.warning[0] == '\0') {
      EXPECT_TRUE(messages.empty()) << c.silent << ": " << messages[0];
      continue;
    }
    ASSERT_EQ(messages.size(), 1u) << c.silent;
    EXPECT_NE(messages[0].find(c.warning), std::string::npos) << messages[0];
  }
}

TEST(SetupKindLintTest, AnInstallScriptSetupNeedsItsResponseFileOnTheDisc) {
  const struct {
    const char* silent;
    const char* answers;  // the file written, "" for none
    bool warned;
  } cases[] = {
      {"setup.exe /s", "A/setup.iss", false},
      {"setup.exe /s /f1\"Answers\\driver.iss\"", "A/Answers/driver.iss", false},
      {"setup.exe /s /f1\"Answers\\driver.iss\"", "A/setup.iss", true},
  };
  for (const auto& c : cases) {
    TempDisc disc;
    disc.Write("Pomvarin.ini", "[PomvarinInfo]\nVendorCount=1\n" +
                                   Entry(1, "VEN_8086", "A", c.silent));
    disc.Write("A/setup.exe", FixtureOfKind("installShield"));
    disc.Write(c.answers, "[InstallShield Silent]\r\n");
    EXPECT_EQ(Messages(Check().warnings, "SilentInstall").size(),
              c.warned ? 1u : 0u) << c.silent;
  }
}

TEST(SetupKindLintTest, SetupsThatStartTogetherOnOneMachine) {
  TempDisc disc;
  // Two Windows Installer setups match; the third entry reaches the first
  // one's file again through a wider root; the fourth matches nothing.
  disc.Write("Pomvarin.ini",
             "[PomvarinInfo]\nVendorCount=4\n" +
                 Entry(1, "VEN_8086", "D\\A", "setup.msi /qn /norestart") +
                 Entry(2, "VEN_10EC", "D\\B", "setup.exe /quiet") +
                 Entry(3, "VEN_10EC", "D\\A", "setup.msi /qn /norestart") +
                 Entry(4, "VEN_1AF4", "D\\C", "setup.exe /quiet"));
  disc.Write("D/A/setup.msi", FixtureOfKind("windowsInstaller"));
  disc.Write("D/B/setup.exe", FixtureOfKind("burnBundle"));
  disc.Write("D/C/setup.exe", FixtureOfKind("burnBundle"));
  std::vector<Warning> warnings;
  SetupKindLint().LintStartsTogether(Check(), "configuration 2", &warnings);
  ASSERT_EQ(warnings.size(), 3u);
  EXPECT_EQ(warnings[0].section, "VendorInfo1");
  EXPECT_EQ(warnings[0].message.find("On configuration 2, in either mode: 3 setups "
                                     "that install through Windows Installer"),
            0u) << warnings[0].message;
  EXPECT_NE(warnings[0].message.find("fail with 1618"), std::string::npos);
  EXPECT_EQ(warnings[0].message.find("D\\C"), std::string::npos);
  EXPECT_NE(warnings[1].message.find("setup.msi starts 2 times at the same "
                                     "moment, from [VendorInfo1] and "
                                     "[VendorInfo3]"),
            std::string::npos) << warnings[1].message;
  EXPECT_EQ(warnings[2].section, "VendorInfo2");
  EXPECT_EQ(warnings[2].key, "SilentInstall");
  EXPECT_NE(warnings[2].message.find("(WiX Burn bundle) starts beside 2 other "
                                     "setups without its no-restart switch"),
            std::string::npos) << warnings[2].message;
}

}  // namespace
}  // namespace pomvarin::check
