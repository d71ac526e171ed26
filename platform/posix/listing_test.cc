#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "platform/platform.h"
#include "tests/posix_temp_files.h"

namespace pomvarin::platform {
namespace {

using posix::test_support::MakeFolder;
using posix::test_support::TempFolder;
using posix::test_support::WindowsSeparators;
using posix::test_support::WriteFile;

using Entries = std::vector<std::pair<std::string, std::uint32_t>>;

constexpr std::uint32_t kFolder = kAttributeDirectory;
constexpr std::uint32_t kHidden = kAttributeHidden;
constexpr std::uint32_t kLink = kAttributeLink;

// Every entry of the listing of folder, read through the seam.
bool ListFolder(const std::string& folder, Entries* entries) {
  DirectoryEntry entry;
  const std::string pattern = WindowsSeparators(folder) + "\\*";
  Listing listing = OpenListing(pattern.c_str(), &entry);
  if (!listing) return false;
  ScopedListing owner(listing);
  do {
    entries->emplace_back(entry.name, entry.attributes);
  } while (NextEntry(listing, &entry));
  // The end stays the end.
  return !NextEntry(listing, &entry);
}

class ListingTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(folder_.path().empty()); }
  TempFolder folder_;
};

TEST_F(ListingTest, DotEntriesFirstThenNamesWithoutCase) {
  for (const char* file : {"b", "A", "a", "C", "_x", ".hidden", "B2"})
    ASSERT_TRUE(WriteFile(folder_.Join(file), "x"));
  ASSERT_TRUE(MakeFolder(folder_.Join("dir")));
  ASSERT_TRUE(MakeFolder(folder_.Join(".config")));
  ASSERT_EQ(symlink("dir", folder_.Join("link").c_str()), 0);
  ASSERT_EQ(symlink("b", folder_.Join("filelink").c_str()), 0);
  ASSERT_EQ(symlink("absent", folder_.Join("dangling").c_str()), 0);

  Entries entries;
  ASSERT_TRUE(ListFolder(folder_.path(), &entries));
  EXPECT_EQ(entries, (Entries{{".", kFolder},
                              {"..", kFolder},
                              {".config", kFolder | kHidden},
                              {".hidden", kHidden},
                              {"_x", 0},
                              {"A", 0},
                              {"a", 0},
                              {"b", 0},
                              {"B2", 0},
                              {"C", 0},
                              {"dangling", 0},
                              {"dir", kFolder},
                              {"filelink", 0},
                              {"link", kFolder | kLink}}));
}

TEST_F(ListingTest, EmptyFolderListsOnlyDotEntries) {
  Entries entries;
  ASSERT_TRUE(ListFolder(folder_.path(), &entries));
  EXPECT_EQ(entries, (Entries{{".", kFolder}, {"..", kFolder}}));
}

TEST_F(ListingTest, ManyEntriesAllListedInOrder) {
  std::vector<std::string> names;
  for (int n = 0; n < 2000; ++n) {
    std::string name = "Entry" + std::to_string(n * 7919 % 2000);
    if (n % 2) name[0] = 'e';
    names.push_back(name);
    ASSERT_TRUE(WriteFile(folder_.Join(name), ""));
  }
  Entries entries;
  ASSERT_TRUE(ListFolder(folder_.path(), &entries));
  ASSERT_EQ(entries.size(), names.size() + 2);
  for (std::size_t i = 3; i < entries.size(); ++i) {
    EXPECT_LT(strcasecmp(entries[i - 1].first.c_str(),
                         entries[i].first.c_str()),
              0)
        << entries[i - 1].first << " then " << entries[i].first;
  }
}

// Entries are looked at after the listing was read. A link whose target
// went by then is no folder; a folder the listing itself typed stays one.
TEST_F(ListingTest, LinkWhoseTargetWentIsNoFolder) {
  ASSERT_TRUE(MakeFolder(folder_.Join("target")));
  ASSERT_EQ(symlink("target", folder_.Join("link").c_str()), 0);
  DirectoryEntry entry;
  Listing listing = OpenListing(
      (WindowsSeparators(folder_.path()) + "\\*").c_str(), &entry);
  ASSERT_NE(listing, nullptr);
  ScopedListing owner(listing);
  ASSERT_EQ(rmdir(folder_.Join("target").c_str()), 0);
  Entries entries;
  while (NextEntry(listing, &entry))
    entries.emplace_back(entry.name, entry.attributes);
  EXPECT_EQ(entries,
            (Entries{{"..", kFolder}, {"link", 0}, {"target", kFolder}}));
}

TEST_F(ListingTest, PatternsThatCannotBeListed) {
  ASSERT_TRUE(WriteFile(folder_.Join("file"), "x"));
  ASSERT_TRUE(MakeFolder(folder_.Join("dir")));
  const std::string patterns[] = {
      folder_.Join("absent") + "\\*",
      folder_.Join("file") + "\\*",
      folder_.Join("dir"),
      folder_.Join("dir") + "\\",
      "",
  };
  for (const std::string& pattern : patterns) {
    DirectoryEntry entry;
    Listing listing = OpenListing(pattern.c_str(), &entry);
    ScopedListing owner(listing);
    EXPECT_EQ(listing, nullptr) << pattern;
  }
}

TEST_F(ListingTest, NullListingHasNoEntries) {
  DirectoryEntry entry;
  EXPECT_FALSE(NextEntry(nullptr, &entry));
}

// Root reads every folder, so the check runs as "nobody" there.
TEST_F(ListingTest, UnreadableFolderCannotBeListed) {
  const std::string locked = folder_.Join("locked");
  ASSERT_EQ(mkdir(locked.c_str(), 0), 0);
  const std::string pattern = locked + "\\*";
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
      _exit(2);
    DirectoryEntry entry;
    Listing listing = OpenListing(pattern.c_str(), &entry);
    _exit(listing == nullptr ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

TEST_F(ListingTest, FolderIdentitySameThroughLink) {
  ASSERT_TRUE(MakeFolder(folder_.Join("one")));
  ASSERT_TRUE(MakeFolder(folder_.Join("two")));
  ASSERT_EQ(symlink("one", folder_.Join("link").c_str()), 0);
  FolderIdentity one{}, two{}, link{};
  ASSERT_TRUE(ReadFolderIdentity(
      WindowsSeparators(folder_.Join("one")).c_str(), &one));
  ASSERT_TRUE(ReadFolderIdentity(folder_.Join("two").c_str(), &two));
  ASSERT_TRUE(ReadFolderIdentity(
      WindowsSeparators(folder_.Join("link")).c_str(), &link));
  EXPECT_EQ(one.volume, link.volume);
  EXPECT_EQ(one.file, link.file);
  EXPECT_FALSE(one.volume == two.volume && one.file == two.file);
}

TEST_F(ListingTest, FolderIdentityOfAbsentFolderFails) {
  FolderIdentity identity{};
  EXPECT_FALSE(
      ReadFolderIdentity(folder_.Join("absent").c_str(), &identity));
}

}  // namespace
}  // namespace pomvarin::platform
