#include <climits>
#include <cstring>
#include <string>
#include <unistd.h>

#include <gtest/gtest.h>

#include "platform/platform.h"
#include "platform/posix/posix_common.h"
#include "tests/posix_temp_files.h"

namespace pomvarin::platform {
namespace {

using posix::test_support::CurrentFolderGuard;
using posix::test_support::MakeFolder;
using posix::test_support::ReadFileText;
using posix::test_support::StreamCapture;
using posix::test_support::TempFolder;

class StandardErrorLines : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(folder_.path().empty()); }

  std::string Captured() { return ReadFileText(folder_.Join("stderr")); }

  TempFolder folder_;
};

TEST_F(StandardErrorLines, TraceWritesEachTextAsOneLine) {
  {
    StreamCapture capture(STDERR_FILENO, folder_.Join("stderr"));
    Trace("/S");
    Trace("");
    Trace("C:\\Disc\\Drivers");
  }
  EXPECT_EQ(Captured(), "/S\n\nC:\\Disc\\Drivers\n");
}

TEST_F(StandardErrorLines, WarningIsCaptionThenText) {
  {
    StreamCapture capture(STDERR_FILENO, folder_.Join("stderr"));
    ShowWarning("No Matched Device Driver!", "Warning");
  }
  EXPECT_EQ(Captured(), "Warning: No Matched Device Driver!\n");
}

class CurrentDirectory : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(folder_.path().empty()); }

  TempFolder folder_;
  CurrentFolderGuard guard_;
};

TEST_F(CurrentDirectory, ReadsTheProcessFolder) {
  ASSERT_EQ(chdir(folder_.path().c_str()), 0);
  Text directory;
  ASSERT_TRUE(ReadCurrentDirectory(directory));
  char expected[PATH_MAX];
  ASSERT_NE(realpath(folder_.path().c_str(), expected), nullptr);
  EXPECT_STREQ(directory, expected);
}

// The longest folder path a Text holds has 259 characters.
TEST_F(CurrentDirectory, FailsEmptyWhenThePathPassesTheLimit) {
  char real[PATH_MAX];
  ASSERT_NE(realpath(folder_.path().c_str(), real), nullptr);
  std::string path = real;
  ASSERT_LT(path.size(), 250u);
  path += "/" + std::string(258 - path.size(), 'd');
  ASSERT_EQ(path.size(), 259u);
  ASSERT_TRUE(MakeFolder(path));
  ASSERT_TRUE(MakeFolder(path + "/e"));

  Text directory;
  ASSERT_EQ(chdir(path.c_str()), 0);
  ASSERT_TRUE(ReadCurrentDirectory(directory));
  EXPECT_EQ(directory, path);

  ASSERT_EQ(chdir("e"), 0);
  std::memset(directory, 'x', sizeof directory);
  EXPECT_FALSE(ReadCurrentDirectory(directory));
  EXPECT_STREQ(directory, "");
}

TEST(ZeroedMemory, IsZeroAndUsableEvenForSizeZero) {
  for (std::uint32_t size : {0u, 1u, 4096u}) {
    unsigned char* block = AllocateZeroed(size);
    ASSERT_NE(block, nullptr) << size;
    for (std::uint32_t i = 0; i < size; ++i) ASSERT_EQ(block[i], 0) << i;
    Release(block);
  }
}

struct PathCase {
  std::string path;
  bool fits;
  std::string expected;
};

TEST(PosixPathForm, BackslashesBecomeSlashesWithinTheLimit) {
  const PathCase cases[] = {
      {"C:\\Disc\\Drivers\\*", true, "C:/Disc/Drivers/*"},
      {"/home/user\\Drivers", true, "/home/user/Drivers"},
      {"\\\\", true, "//"},
      {"", true, ""},
      {std::string(PATH_MAX - 1, '\\'), true, std::string(PATH_MAX - 1, '/')},
      {std::string(PATH_MAX, 'a'), false, ""},
  };
  for (const PathCase& c : cases) {
    posix::PosixPath converted;
    ASSERT_EQ(posix::ToPosixPath(c.path.c_str(), converted), c.fits)
        << c.path.size();
    if (c.fits) {
      EXPECT_EQ(converted, c.expected);
    }
  }
}

}  // namespace
}  // namespace pomvarin::platform
