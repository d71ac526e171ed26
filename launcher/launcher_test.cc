#include "launcher/launcher.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/fake_platform.h"

namespace pomvarin {
namespace {

using Lines = std::vector<std::string>;

TEST(CasePassTest, UpperThenLowerButTheFirstCharacter) {
  struct Case {
    std::string id;
    std::string upper;
    std::string lower;
  };
  const Case cases[] = {
      {"abCd", "ABCD", "Abcd"},
      {"168c", "168C", "168c"},
      {"a", "A", "A"},
      {"", "", ""},
      {"ven_8086&dev", "VEN_8086&DEV", "Ven_8086&dev"},
      // Single bytes: an ASCII letter is changed even as the second byte
      // of a double-byte character; other bytes never change.
      {"\x82\x61z\xE4", "\x82\x41Z\xE4", "\x82\x61z\xE4"},
  };
  for (const Case& c : cases) {
    std::string id = c.id;
    UpperCasePass(id.data(), id.size());
    EXPECT_EQ(id, c.upper) << c.id;
    LowerCasePass(id.data(), id.size());
    EXPECT_EQ(id, c.lower) << c.id;
  }
}

TEST(HasSilentSwitchTest, FindsTheSwitchAnywhereAndTracesTheArguments) {
  struct Case {
    std::string arguments;
    bool silent;
  };
  const Case cases[] = {
      {"/s", true},           {"/S", true},     {"-x /silent", true},
      {"/Setup", true},       {"x/s", true},    {"-s", false},
      {"", false},            {"\\s", false},   {"/ s", false},
      // Arguments far past a Text's length are tested whole.
      {std::string(1 << 20, 'a') + "/s", true},
  };
  for (const Case& c : cases) {
    fake::Reset();
    EXPECT_EQ(HasSilentSwitch(c.arguments.c_str()), c.silent)
        << c.arguments.substr(0, 20);
    EXPECT_EQ(fake::Current().trace, Lines{c.arguments});
  }
}

class RunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::Reset();
    disc_ = fake::AddFolder("C:\\Disc");
    fake::AddDotEntries(disc_);
  }

  static void SetValue(const std::string& section, const std::string& key,
                       const std::string& value) {
    fake::Current().profile[section][key] = value;
  }

  static void AddVendor(int n, const std::string& venId,
                        const std::string& rootDir,
                        const std::string& setupFileName = "setup.exe",
                        const std::string& silentInstall = "setup.exe /q") {
    const std::string section = "VendorInfo" + std::to_string(n);
    SetValue(section, "VenName", "Vendor " + std::to_string(n));
    SetValue(section, "VenID", venId);
    SetValue(section, "SetupFileRootDir", rootDir);
    SetValue(section, "SetupFileName", setupFileName);
    SetValue(section, "SilentInstall", silentInstall);
  }

  static void AddDevice(const std::string& firstId) {
    fake::Current().devices.push_back({{firstId}, {}});
  }

  int AddSetupFolder(const std::string& name) {
    int folder = fake::AddSubfolder(disc_, name);
    fake::AddDotEntries(folder);
    fake::AddFile(folder, "Setup.exe");
    return folder;
  }

  static Lines Warnings() { return fake::Current().warnings; }
  static Lines Trace() { return fake::Current().trace; }

  int disc_;
};

const char kBox[] = "Warning: No Matched Device Driver!";

TEST_F(RunTest, ATypicalSilentRun) {
  SetValue("PomvarinInfo", "VendorCount", "1");
  AddVendor(1, "1af4", "\\Virtio");
  AddDevice("PCI\\VEN_1AF4&DEV_1045&SUBSYS_10451AF4&REV_01");
  AddSetupFolder("Virtio");

  WinMain("/s");

  EXPECT_EQ(Trace(), (Lines{"/s", "1AF4", "1af4",
                            "C:\\Disc\\Virtio\\Setup.exe", "Slience Install",
                            "C:\\Disc\\Virtio"}));
  ASSERT_EQ(fake::Current().launches.size(), 1u);
  EXPECT_EQ(fake::Current().launches[0].parameters, " /q");
  EXPECT_EQ(fake::Current().launches[0].show, platform::ShowCommand::kHide);
  EXPECT_TRUE(Warnings().empty());
}

TEST_F(RunTest, ANormalRunUsesSetupFileName) {
  SetValue("PomvarinInfo", "VendorCount", "1");
  AddVendor(1, "8086", "\\Intel", "setup.exe -normal", "setup.exe -silent");
  AddDevice("PCI\\VEN_8086&DEV_100E");
  AddSetupFolder("Intel");

  WinMain("");

  ASSERT_EQ(fake::Current().launches.size(), 1u);
  EXPECT_EQ(fake::Current().launches[0].parameters, " -normal");
  EXPECT_EQ(fake::Current().launches[0].show, platform::ShowCommand::kShow);
  EXPECT_EQ(Trace(), (Lines{"", "8086", "8086", "C:\\Disc\\Intel\\Setup.exe",
                            "C:\\Disc\\Intel"}));
}

TEST_F(RunTest, ReadsTheFiveKeysOfEachEntryInOrderFromTheCurrentDirectory) {
  SetValue("PomvarinInfo", "VendorCount", "2");
  WinMain("");
  std::vector<std::string> reads;
  for (const fake::ProfileRead& read : fake::Current().profileReads) {
    EXPECT_EQ(read.path, "C:\\Disc\\Pomvarin.ini");
    reads.push_back(read.section + "/" + read.key);
  }
  EXPECT_EQ(reads, (Lines{"PomvarinInfo/VendorCount", "VendorInfo1/VenName",
                          "VendorInfo1/VenID", "VendorInfo1/SetupFileRootDir",
                          "VendorInfo1/SetupFileName",
                          "VendorInfo1/SilentInstall", "VendorInfo2/VenName",
                          "VendorInfo2/VenID", "VendorInfo2/SetupFileRootDir",
                          "VendorInfo2/SetupFileName",
                          "VendorInfo2/SilentInstall"}));
}

TEST_F(RunTest, CountsBelowOneShowTheBoxWithoutAskingForDevices) {
  const char* const counts[] = {"0", "-2", "abc", "0x3", nullptr};
  for (const char* count : counts) {
    SetUp();
    if (count) SetValue("PomvarinInfo", "VendorCount", count);
    AddDevice("PCI\\VEN_8086");
    WinMain("/s");
    EXPECT_EQ(Warnings(), Lines{kBox}) << (count ? count : "no key");
    EXPECT_EQ(fake::Current().deviceListsOpened, 0);
    EXPECT_EQ(Trace(), Lines{"/s"});
  }
}

TEST_F(RunTest, MissingSectionsAreHandledWithTheDefaultValues) {
  SetValue("PomvarinInfo", "VendorCount", "+3");
  AddVendor(1, "10de", "\\Nvidia");
  // A device whose first ID holds "UNKNOW" and "PCI" matches the default.
  AddDevice("PCI\\VEN_UNKNOW");

  WinMain("");

  EXPECT_EQ(Trace(), (Lines{"", "10DE", "10de", "UNKNOW", "Unknow",
                            "C:\\DiscUnknow", "UNKNOW", "Unknow",
                            "C:\\DiscUnknow"}));
  EXPECT_TRUE(Warnings().empty());
  // Two questions per entry, each with a fresh list.
  EXPECT_EQ(fake::Current().deviceListsOpened, 6);
}

TEST_F(RunTest, BothQuestionsAreAlwaysPutAndAMatchOnTheLowerPassCounts) {
  SetValue("PomvarinInfo", "VendorCount", "1");
  AddVendor(1, "abCd", "\\Lower");
  AddDevice("PCI\\VEN_Abcd&DEV_0001");  // the case the lower pass gives
  AddSetupFolder("Lower");
  WinMain("");
  EXPECT_EQ(fake::Current().deviceListsOpened, 2);
  EXPECT_EQ(fake::Current().launches.size(), 1u);
  EXPECT_TRUE(Warnings().empty());

  SetUp();
  SetValue("PomvarinInfo", "VendorCount", "1");
  AddVendor(1, "ABCD", "\\Upper");
  AddDevice("PCI\\VEN_ABCD&DEV_0001");
  WinMain("");
  EXPECT_EQ(fake::Current().deviceListsOpened, 2);  // asked again after a hit
}

TEST_F(RunTest, EveryMatchedEntryIsStartedInEntryOrder) {
  SetValue("PomvarinInfo", "VendorCount", "3");
  AddVendor(1, "8086", "\\Intel");
  AddVendor(2, "1234", "\\Absent");
  AddVendor(3, "10ec", "\\Realtek");
  AddDevice("PCI\\VEN_10EC&DEV_8139");
  AddDevice("PCI\\VEN_8086&DEV_100E");
  AddSetupFolder("Realtek");
  AddSetupFolder("Intel");

  WinMain("");

  ASSERT_EQ(fake::Current().launches.size(), 2u);
  EXPECT_EQ(fake::Current().launches[0].path, "C:\\Disc\\Intel\\Setup.exe");
  EXPECT_EQ(fake::Current().launches[1].path, "C:\\Disc\\Realtek\\Setup.exe");
  EXPECT_TRUE(Warnings().empty());
}

TEST_F(RunTest, AMatchWithoutASetupFileStillSuppressesTheBox) {
  SetValue("PomvarinInfo", "VendorCount", "1");
  AddVendor(1, "8086", "Drivers");  // no leading "\": glued to the directory
  AddDevice("PCI\\VEN_8086&DEV_100E");
  AddSetupFolder("Drivers");

  WinMain("");

  EXPECT_TRUE(fake::Current().launches.empty());
  EXPECT_EQ(fake::Current().openedPatterns, Lines{"C:\\DiscDrivers\\*"});
  EXPECT_EQ(Trace().back(), "C:\\DiscDrivers");
  EXPECT_TRUE(Warnings().empty());
}

TEST_F(RunTest, AnEmptyVenIdMatchesTheFirstPciDevice) {
  SetValue("PomvarinInfo", "VendorCount", "1");
  AddVendor(1, "", "\\Any");
  AddDevice("ROOT\\SYSTEM");
  AddDevice("PCI\\VEN_1234");
  AddSetupFolder("Any");
  WinMain("");
  EXPECT_EQ(Trace(), (Lines{"", "", "", "C:\\Disc\\Any\\Setup.exe",
                            "C:\\Disc\\Any"}));
}

TEST_F(RunTest, NothingMatchedShowsOneBoxAlsoWhenSilent) {
  SetValue("PomvarinInfo", "VendorCount", "2");
  AddVendor(1, "8086", "\\Intel");
  AddVendor(2, "10de", "\\Nvidia");
  AddDevice("PCI\\VEN_1AF4");
  WinMain("/S");
  EXPECT_EQ(Warnings(), Lines{kBox});
  EXPECT_TRUE(fake::Current().launches.empty());
}

TEST_F(RunTest, AnUnavailableDeviceListIsTracedForEachQuestion) {
  SetValue("PomvarinInfo", "VendorCount", "1");
  AddVendor(1, "8086", "\\Intel");
  fake::Current().deviceListAvailable = false;
  WinMain("-x");
  EXPECT_EQ(Trace(), (Lines{"-x", "8086", "Device information is unavailable",
                            "8086", "Device information is unavailable"}));
  EXPECT_EQ(Warnings(), Lines{kBox});
}

TEST_F(RunTest, NoUsableCurrentDirectoryMeansNoConfiguration) {
  struct Case {
    const char* name;
    bool readable;
    std::string directory;
  };
  // A directory of 246 characters joined with "\Pomvarin.ini" makes 259
  // and fits; one of 247 does not.
  const Case cases[] = {{"unreadable", false, "C:\\Disc"},
                        {"too long to join", true, "C:\\" + std::string(244, 'd')}};
  for (const Case& c : cases) {
    SetUp();
    fake::Current().currentDirectoryReadable = c.readable;
    fake::Current().currentDirectory = c.directory;
    SetValue("PomvarinInfo", "VendorCount", "1");
    WinMain("");
    EXPECT_TRUE(fake::Current().profileReads.empty()) << c.name;
    EXPECT_EQ(fake::Current().deviceListsOpened, 0) << c.name;
    EXPECT_EQ(Warnings(), Lines{kBox}) << c.name;
  }

  SetUp();
  fake::Current().currentDirectory = "C:\\" + std::string(243, 'd');
  WinMain("");
  ASSERT_EQ(fake::Current().profileReads.size(), 1u);
  EXPECT_EQ(fake::Current().profileReads[0].path.size(), 259u);
}

TEST_F(RunTest, ARootPastTheLimitIsTracedWholeButNotSearched) {
  const std::string directory = "C:\\" + std::string(200, 'd');
  const std::string rootDir = "\\" + std::string(100, 'r');
  fake::Current().currentDirectory = directory;
  fake::Current().configurationPath = directory + "\\Pomvarin.ini";
  SetValue("PomvarinInfo", "VendorCount", "1");
  AddVendor(1, "8086", rootDir);
  AddDevice("PCI\\VEN_8086");
  WinMain("");
  EXPECT_TRUE(fake::Current().openedPatterns.empty());
  EXPECT_EQ(Trace().back(), directory + rootDir);
  EXPECT_TRUE(Warnings().empty());
}

}  // namespace
}  // namespace pomvarin
