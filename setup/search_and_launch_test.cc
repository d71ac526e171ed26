#include "setup/search_and_launch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "setup/launch_spec.h"
#include "tests/fake_platform.h"

namespace pomvarin {
namespace {

using platform::kAttributeDirectory;
using platform::kAttributeHidden;
using platform::ShowCommand;

TEST(SplitLaunchSpecTest, SplitsAtTheFirstSpaceOnly) {
  struct Case {
    const char* spec;
    std::string fileName;
    std::string parameters;
  };
  const Case cases[] = {
      {"setup.exe", "setup.exe", ""},
      {"setup.exe /q /norestart", "setup.exe", " /q /norestart"},
      {"setup.exe  /q", "setup.exe", "  /q"},
      {" setup.exe", "", " setup.exe"},
      {"", "", ""},
      {"set\tup.exe /q", "set\tup.exe", " /q"},  // a tab is no blank
      {"My Setup.exe", "My", " Setup.exe"},
  };
  for (const Case& c : cases) {
    LaunchSpecParts parts = SplitLaunchSpec(c.spec);
    EXPECT_EQ(std::string(parts.fileName, parts.fileNameLength), c.fileName)
        << c.spec;
    EXPECT_EQ(std::string(parts.parameters), c.parameters) << c.spec;
  }
}

class SearchAndLaunchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::Reset();
    root_ = fake::AddFolder("D:\\Disc\\Drivers");
    fake::AddDotEntries(root_);
  }

  std::vector<std::string> LaunchedPaths() const {
    std::vector<std::string> paths;
    for (const fake::Launch& launch : fake::Current().launches)
      paths.push_back(launch.path);
    return paths;
  }

  void ExpectListingsClosed() const {
    EXPECT_EQ(fake::Current().listingsOpened, fake::Current().listingsClosed);
  }

  int root_;
};

TEST_F(SearchAndLaunchTest, StartsTheFileVisiblyWithItsParameters) {
  fake::AddFile(root_, "readme.txt");
  fake::AddFile(root_, "Setup.exe");
  SearchAndLaunch("D:\\Disc\\Drivers", "SETUP.EXE /q /norestart", false);
  ASSERT_EQ(fake::Current().launches.size(), 1u);
  const fake::Launch& launch = fake::Current().launches[0];
  EXPECT_EQ(launch.path, "D:\\Disc\\Drivers\\Setup.exe");  // case on disk
  EXPECT_EQ(launch.parameters, " /q /norestart");
  EXPECT_EQ(launch.show, ShowCommand::kShow);
  EXPECT_EQ(fake::Current().trace,
            std::vector<std::string>{"D:\\Disc\\Drivers\\Setup.exe"});
  ExpectListingsClosed();
}

TEST_F(SearchAndLaunchTest, SilentStartsAreHiddenAndTracedAsSuch) {
  fake::AddFile(root_, "setup.exe");
  SearchAndLaunch("D:\\Disc\\Drivers", "setup.exe", true);
  ASSERT_EQ(fake::Current().launches.size(), 1u);
  EXPECT_EQ(fake::Current().launches[0].show, ShowCommand::kHide);
  EXPECT_EQ(fake::Current().launches[0].parameters, "");
  EXPECT_EQ(fake::Current().trace,
            (std::vector<std::string>{"D:\\Disc\\Drivers\\setup.exe",
                                      "Slience Install"}));
}

TEST_F(SearchAndLaunchTest, ExaminesTheFirstEntryOfAListingWithoutDots) {
  // A drive root lists no "." and "..": its first entry is the file itself.
  int driveRoot = fake::AddFolder("E:");
  fake::AddFile(driveRoot, "setup.exe");
  fake::AddFile(driveRoot, "zz.txt");
  SearchAndLaunch("E:", "setup.exe", false);
  EXPECT_EQ(LaunchedPaths(), std::vector<std::string>{"E:\\setup.exe"});

  fake::Reset();
  driveRoot = fake::AddFolder("E:");
  int first = fake::AddSubfolder(driveRoot, "Audio");
  fake::AddFile(first, "setup.exe");
  SearchAndLaunch("E:", "setup.exe", false);
  EXPECT_EQ(LaunchedPaths(), std::vector<std::string>{"E:\\Audio\\setup.exe"});
  ExpectListingsClosed();
}

TEST_F(SearchAndLaunchTest, SkipsDotEntriesWhereverTheyStand) {
  // "." and ".." in the middle of a listing must not be walked into.
  fake::AddFile(root_, "a.txt");
  fake::AddDotEntries(root_);
  fake::AddFile(root_, "setup.exe");
  SearchAndLaunch("D:\\Disc\\Drivers", "setup.exe", false);
  EXPECT_EQ(LaunchedPaths(),
            std::vector<std::string>{"D:\\Disc\\Drivers\\setup.exe"});
  EXPECT_EQ(fake::Current().openedPatterns,
            std::vector<std::string>{"D:\\Disc\\Drivers\\*"});
}

TEST_F(SearchAndLaunchTest, WalksDepthFirstInListingOrderOneLaunchPerFolder) {
  // Drivers
  //   Audio\setup.exe, Audio\Deeper\setup.exe (never reached: Audio ended)
  //   .hidden\setup.exe (a hidden folder is searched)
  //   Net\setup.exe, Net\SETUP.EXE (one launch per folder)
  //   setup.exe (the parent goes on after its subfolders' launches)
  //   Video\setup.exe (never reached: the parent launched before it)
  int audio = fake::AddSubfolder(root_, "Audio");
  fake::AddFile(audio, "setup.exe");
  int deeper = fake::AddSubfolder(audio, "Deeper");
  fake::AddFile(deeper, "setup.exe");
  int hidden =
      fake::AddSubfolder(root_, ".hidden", kAttributeDirectory | kAttributeHidden);
  fake::AddFile(hidden, "setup.exe");
  int net = fake::AddSubfolder(root_, "Net");
  fake::AddFile(net, "setup.exe");
  fake::AddFile(net, "SETUP.EXE");
  fake::AddFile(root_, "setup.exe");
  int video = fake::AddSubfolder(root_, "Video");
  fake::AddFile(video, "setup.exe");

  SearchAndLaunch("D:\\Disc\\Drivers", "setup.exe", false);
  EXPECT_EQ(LaunchedPaths(),
            (std::vector<std::string>{
                "D:\\Disc\\Drivers\\Audio\\setup.exe",
                "D:\\Disc\\Drivers\\.hidden\\setup.exe",
                "D:\\Disc\\Drivers\\Net\\setup.exe",
                "D:\\Disc\\Drivers\\setup.exe"}));
  ExpectListingsClosed();
}

// Collects what the walk hands over, the way a dry run would.
class CollectFound : public SetupFileFound {
 public:
  void OnSetupFile(const char* path, const LaunchSpecParts& parts) override {
    found.push_back(std::string(path) + "|" + parts.parameters);
  }
  std::vector<std::string> found;
};

TEST_F(SearchAndLaunchTest, SearchSetupHandsOverWhatWouldStartAndStartsNothing) {
  int net = fake::AddSubfolder(root_, "Net");
  fake::AddFile(net, "Setup.exe");
  fake::AddFile(root_, "setup.exe");
  CollectFound collect;
  SearchSetup("D:\\Disc\\Drivers", "SETUP.exe -q", collect);
  EXPECT_EQ(collect.found,
            (std::vector<std::string>{"D:\\Disc\\Drivers\\Net\\Setup.exe| -q",
                                      "D:\\Disc\\Drivers\\setup.exe| -q"}));
  EXPECT_TRUE(fake::Current().launches.empty());
  EXPECT_TRUE(fake::Current().trace.empty());
  ExpectListingsClosed();
}

TEST_F(SearchAndLaunchTest, NeverStartsAHiddenFileAndLooksInsideNoFile) {
  fake::AddFile(root_, "setup.exe", kAttributeHidden);
  fake::AddFile(root_, "other.exe", 0x01 | 0x04 | 0x20);  // read-only etc.
  SearchAndLaunch("D:\\Disc\\Drivers", "setup.exe", false);
  EXPECT_TRUE(fake::Current().launches.empty());
  SearchAndLaunch("D:\\Disc\\Drivers", "OTHER.exe", false);
  EXPECT_EQ(LaunchedPaths(),
            std::vector<std::string>{"D:\\Disc\\Drivers\\other.exe"});
  ExpectListingsClosed();
}

TEST_F(SearchAndLaunchTest, NamesThatCanNeverMatchStartNothing) {
  int disk = fake::AddSubfolder(root_, "Disk1");
  fake::AddFile(disk, "setup.exe");
  fake::AddFile(root_, "setup.exe");
  for (const char* spec : {"Disk1\\setup.exe", "\"setup.exe\"", " setup.exe",
                           "", "setup", "setup.exe.bak"}) {
    SearchAndLaunch("D:\\Disc\\Drivers", spec, false);
    EXPECT_TRUE(fake::Current().launches.empty()) << spec;
  }
  ExpectListingsClosed();
}

TEST_F(SearchAndLaunchTest, AMissingRootStartsAndTracesNothing) {
  SearchAndLaunch("D:\\Disc\\Missing", "setup.exe", true);
  SearchAndLaunch("D:\\Disc\\DriversUnknow", "setup.exe", true);
  EXPECT_TRUE(fake::Current().launches.empty());
  EXPECT_TRUE(fake::Current().trace.empty());
}

TEST_F(SearchAndLaunchTest, EndsOnAFolderThatHoldsTwoLinksToItself) {
  int loop = fake::AddSubfolder(root_, "Loop");
  fake::AddLink(loop, "again", loop);
  fake::AddLink(loop, "more", loop);
  fake::AddLink(loop, "up", root_);
  int later = fake::AddSubfolder(root_, "Later");
  fake::AddFile(later, "setup.exe");
  SearchAndLaunch("D:\\Disc\\Drivers", "setup.exe", false);
  EXPECT_EQ(LaunchedPaths(),
            std::vector<std::string>{"D:\\Disc\\Drivers\\Later\\setup.exe"});
  // Drivers, Loop, and each link opened once but not walked; then Later.
  EXPECT_EQ(fake::Current().listingsOpened, 6);
  ExpectListingsClosed();
}

TEST_F(SearchAndLaunchTest, AFolderWithoutAnIdentityIsNotEntered) {
  fake::AddFile(root_, "setup.exe");
  fake::Current().identityReadable = false;
  SearchAndLaunch("D:\\Disc\\Drivers", "setup.exe", false);
  EXPECT_TRUE(fake::Current().launches.empty());
  ExpectListingsClosed();
}

TEST_F(SearchAndLaunchTest, PathsPastTheLimitAreSkippedNeverCut) {
  // root (250) + "\" + name: a long name does not fit, a short one does.
  std::string longRoot = "D:\\" + std::string(247, 'r');
  int folder = fake::AddFolder(longRoot);
  fake::AddFile(folder, std::string(9, 'x'));   // 260 characters: skipped
  int deep = fake::AddSubfolder(folder, std::string(7, 'd'));  // 258: fits,
  fake::AddFile(deep, "x");                     // but its pattern does not
  fake::AddFile(folder, std::string(8, 'x'));   // 259 characters: started
  SearchAndLaunch(longRoot.c_str(), std::string(9, 'x').c_str(), false);
  SearchAndLaunch(longRoot.c_str(), "x", false);
  SearchAndLaunch(longRoot.c_str(), std::string(8, 'x').c_str(), false);
  EXPECT_EQ(LaunchedPaths(),
            std::vector<std::string>{longRoot + "\\" + std::string(8, 'x')});

  // A root whose pattern cannot be built is not listed at all.
  std::string tooLong = "D:\\" + std::string(256, 'r');
  fake::Current().openedPatterns.clear();
  SearchAndLaunch(tooLong.c_str(), "x", false);
  EXPECT_TRUE(fake::Current().openedPatterns.empty());
  ExpectListingsClosed();
}

}  // namespace
}  // namespace pomvarin
