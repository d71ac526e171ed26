// The link-cycle guard through the setup search on the in-memory platform:
// which folders it enters, and that it reads identities only where a cycle
// is possible.
#include "setup/link_guard.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "setup/search_and_launch.h"
#include "tests/fake_platform.h"

namespace pomvarin {
namespace {

class LinkGuardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fake::Reset();
    disc_ = fake::AddFolder("D:\\Disc");
    fake::AddDotEntries(disc_);
    drivers_ = fake::AddSubfolder(disc_, "Drivers");
    fake::AddDotEntries(drivers_);
  }

  int AddFolderWithSetup(int parent, const std::string& name) {
    int folder = fake::AddSubfolder(parent, name);
    fake::AddFile(folder, "setup.exe");
    return folder;
  }

  std::vector<std::string> Search() {
    SearchAndLaunch("D:\\Disc\\Drivers", "setup.exe", false);
    EXPECT_EQ(fake::Current().listingsOpened, fake::Current().listingsClosed);
    std::vector<std::string> paths;
    for (const fake::Launch& launch : fake::Current().launches)
      paths.push_back(launch.path);
    return paths;
  }

  int disc_;
  int drivers_;
};

TEST_F(LinkGuardTest, ATreeWithoutLinksCostsOneIdentityQuery) {
  int vendor = fake::AddSubfolder(drivers_, "Vendor");
  int system = fake::AddSubfolder(vendor, "Win10");
  AddFolderWithSetup(system, "x64");
  AddFolderWithSetup(system, "x86");
  EXPECT_EQ(Search(), (std::vector<std::string>{
                          "D:\\Disc\\Drivers\\Vendor\\Win10\\x64\\setup.exe",
                          "D:\\Disc\\Drivers\\Vendor\\Win10\\x86\\setup.exe"}));
  EXPECT_EQ(fake::Current().identitiesRead, 1);  // the vendor folder's
}

// A link up to the disc leads back to Drivers as a plain folder: being
// behind the link, it is recognised and not searched twice, while the rest
// of the disc is searched through the link.
TEST_F(LinkGuardTest, APlainFolderBehindALinkIsCheckedAgainstThePath) {
  AddFolderWithSetup(drivers_, "Sub");
  fake::AddLink(drivers_, "up", disc_);
  AddFolderWithSetup(disc_, "Other");
  EXPECT_EQ(Search(), (std::vector<std::string>{
                          "D:\\Disc\\Drivers\\Sub\\setup.exe",
                          "D:\\Disc\\Drivers\\up\\Other\\setup.exe"}));
}

// A folder of another volume may carry the file number of one on the path:
// it is a different folder, and is searched.
TEST_F(LinkGuardTest, EqualFileNumbersOnTwoVolumesAreTwoFolders) {
  const int other = fake::AddFolder("E:\\");
  AddFolderWithSetup(other, "Sub");
  fake::SetFolderIdentity(other, 8, static_cast<std::uint64_t>(drivers_));
  fake::AddLink(drivers_, "onE", other);
  EXPECT_EQ(Search(), std::vector<std::string>{
                          "D:\\Disc\\Drivers\\onE\\Sub\\setup.exe"});
}

TEST_F(LinkGuardTest, IdentitiesAreReadOnlyWhereTheGuardNeedsThem) {
  struct Case {
    const char* name;
    bool vendorWithoutIdentity;
    bool plainWithoutIdentity;
    bool linkedWithoutIdentity;
    std::vector<std::string> launched;
  };
  const std::string inPlain = "D:\\Disc\\Drivers\\Plain\\Sub\\setup.exe";
  const std::string behindLink = "D:\\Disc\\Drivers\\Plain\\link\\setup.exe";
  const Case cases[] = {
      {"every identity readable", false, false, false, {inPlain, behindLink}},
      // A folder not behind a link needs none; a folder behind one needs
      // those of every folder up to the vendor folder.
      {"plain folder without identity", false, true, false, {inPlain}},
      {"linked folder without identity", false, false, true, {inPlain}},
      {"vendor folder without identity", true, false, false, {}},
  };
  for (const Case& c : cases) {
    SetUp();
    int plain = fake::AddSubfolder(drivers_, "Plain");
    AddFolderWithSetup(plain, "Sub");
    int elsewhere = AddFolderWithSetup(disc_, "Elsewhere");
    fake::AddLink(plain, "link", elsewhere);
    if (c.vendorWithoutIdentity) fake::MakeIdentityUnreadable(drivers_);
    if (c.plainWithoutIdentity) fake::MakeIdentityUnreadable(plain);
    if (c.linkedWithoutIdentity) fake::MakeIdentityUnreadable(elsewhere);
    EXPECT_EQ(Search(), c.launched) << c.name;
  }
}

// Two links a level to the next level: 2^16 paths lead to the bottom. Each
// folder is walked once, so its setup starts once.
TEST_F(LinkGuardTest, LinksThatFanOutLeadIntoEachFolderOnce) {
  const int levels = 16;
  std::vector<int> level{fake::AddSubfolder(drivers_, "level0")};
  for (int n = 1; n <= levels; ++n)
    level.push_back(fake::AddFolder("E:\\level" + std::to_string(n)));
  for (int n = 0; n < levels; ++n) {
    fake::AddLink(level[n], "a", level[n + 1]);
    fake::AddLink(level[n], "b", level[n + 1]);
  }
  fake::AddFile(level[levels], "setup.exe");
  std::string firstPath = "D:\\Disc\\Drivers\\level0";
  for (int n = 0; n < levels; ++n) firstPath += "\\a";
  EXPECT_EQ(Search(), std::vector<std::string>{firstPath + "\\setup.exe"});
}

// The folders behind links are remembered in the platform's memory: past
// the table's first size they are still told apart, and without memory no
// folder behind a link is entered, while plain folders still are.
TEST_F(LinkGuardTest, ManyLinkedFoldersAndNoMemoryForThem) {
  const int targets = 300;
  for (int n = 0; n < targets; ++n) {
    const int target = AddFolderWithSetup(disc_, "t" + std::to_string(n));
    fake::AddLink(drivers_, "link" + std::to_string(n), target);
    fake::AddLink(drivers_, "again" + std::to_string(n), target);
  }
  AddFolderWithSetup(drivers_, "plain");
  EXPECT_EQ(Search().size(), static_cast<std::size_t>(targets) + 1);

  fake::Current().launches.clear();
  fake::Current().largestAllocation = 0;
  EXPECT_EQ(Search(), std::vector<std::string>{
                          "D:\\Disc\\Drivers\\plain\\setup.exe"});
}

}  // namespace
}  // namespace pomvarin
