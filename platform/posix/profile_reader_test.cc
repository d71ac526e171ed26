#include "platform/posix/profile_reader.h"

#include <cctype>
#include <cstring>
#include <unistd.h>
#include <string>

#include <gtest/gtest.h>

#include "tests/posix_temp_files.h"
#include "tests/profile_cases.h"

namespace pomvarin::tests {
void PrintTo(const ProfileCase& c, std::ostream* out) { *out << c.name; }
}  // namespace pomvarin::tests

namespace pomvarin::platform::posix {
namespace {

using test_support::TempFolder;

std::string Find(const std::string& data, const char* section, const char* key,
                 const char* fallback) {
  Text value;
  std::memset(value, '#', sizeof value);
  FindProfileValue(data.data(), data.size(), section, key, fallback, value);
  return value;
}

// A large file must neither hit a fixed limit nor lose the last section.
TEST(ProfileLargeText, FindsKeyInLastOf100000Sections) {
  std::string data;
  for (int n = 1; n <= 100000; ++n) {
    data += "[VendorInfo" + std::to_string(n) + "]\nVenID=VEN_" +
            std::to_string(n) + "\n";
  }
  EXPECT_EQ(Find(data, "VendorInfo100000", "VenID", "fb"), "VEN_100000");
  EXPECT_EQ(Find(data, "VendorInfo100001", "VenID", "fb"), "fb");
}

class ProfileFile : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_FALSE(folder_.path().empty()); }

  std::string Read(const std::string& path, const char* section,
                   const char* key) {
    Text value;
    ReadProfileString(section, key, "Unknow", value, path.c_str());
    return value;
  }

  TempFolder folder_;
};

TEST_F(ProfileFile, ReadsValueThroughBackslashPath) {
  ASSERT_TRUE(test_support::WriteFile(folder_.Join("Pomvarin.ini"),
                                 "[PomvarinInfo]\r\nVendorCount=2\r\n"));
  EXPECT_EQ(Read(test_support::WindowsSeparators(folder_.Join("Pomvarin.ini")),
                 "PomvarinInfo", "VendorCount"),
            "2");
}

// Only a regular file is read: anything else is no file, and pomvarin-check
// cannot check it (a device can read as an endless or an empty file).
TEST_F(ProfileFile, WhatIsNoRegularFileGivesFallback) {
  const std::string linkToDevice = folder_.Join("device.ini");
  ASSERT_EQ(symlink("/dev/null", linkToDevice.c_str()), 0);
  for (const std::string& path :
       {folder_.Join("absent.ini"), folder_.path(), std::string("/dev/null"),
        linkToDevice}) {
    HeapBlock contents;
    std::size_t size = 0;
    EXPECT_FALSE(ReadWholeFile(path.c_str(), &contents, &size)) << path;
    EXPECT_EQ(Read(path, "PomvarinInfo", "VendorCount"), "Unknow") << path;
  }
}

// The file read last is kept for the values after it once its stamps are
// two seconds old; a rewrite of the same size, a replacement and a removal
// between two values are each seen.
TEST_F(ProfileFile, EveryChangeBetweenTwoValuesIsSeen) {
  auto write = [](const std::string& path, const char* count) {
    return test_support::WriteFile(
        path, std::string("[PomvarinInfo]\nVendorCount=") + count + "\n");
  };
  auto count = [this](const std::string& path) {
    return Read(path, "PomvarinInfo", "VendorCount");
  };
  const std::string rewritten = folder_.Join("rewritten.ini");
  const std::string replaced = folder_.Join("replaced.ini");
  const std::string removed = folder_.Join("removed.ini");
  for (const std::string& path : {rewritten, replaced, removed}) {
    ASSERT_TRUE(write(path, "1"));
  }
  usleep(2200 * 1000);
  EXPECT_EQ(count(rewritten), "1");
  ASSERT_TRUE(write(rewritten, "2"));
  EXPECT_EQ(count(rewritten), "2");

  EXPECT_EQ(count(replaced), "1");
  ASSERT_TRUE(write(folder_.Join("new.ini"), "3"));
  ASSERT_EQ(rename(folder_.Join("new.ini").c_str(), replaced.c_str()), 0);
  EXPECT_EQ(count(replaced), "3");

  EXPECT_EQ(count(removed), "1");
  ASSERT_EQ(unlink(removed.c_str()), 0);
  EXPECT_EQ(count(removed), "Unknow");
}

TEST_F(ProfileFile, ReadsLastOfManySectionsFromLargeFile) {
  std::string data;
  for (int n = 1; n <= 100000; ++n)
    data += "[VendorInfo" + std::to_string(n) + "]\nVenName=Vendor\n";
  data += "[PomvarinInfo]\nVendorCount=100000";
  ASSERT_TRUE(test_support::WriteFile(folder_.Join("big.ini"), data));
  EXPECT_EQ(Read(folder_.Join("big.ini"), "pomvarininfo", "vendorcount"),
            "100000");
}

// The table the Windows program's reader is held to, read here from real
// files.
class SharedProfileCases
    : public ::testing::TestWithParam<tests::ProfileCase> {
 protected:
  TempFolder folder_;
};

TEST_P(SharedProfileCases, ReadLikeTheWindowsReader) {
  const tests::ProfileCase& c = GetParam();
  const std::string path = folder_.Join("Pomvarin.ini");
  ASSERT_TRUE(test_support::WriteFile(path, c.file));
  Text value;
  std::memset(value, '#', sizeof value);
  ReadProfileString(c.section, c.key, c.fallback, value, path.c_str());
  EXPECT_EQ(std::string(value), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, SharedProfileCases, ::testing::ValuesIn(tests::ProfileCases()),
    [](const ::testing::TestParamInfo<tests::ProfileCase>& info) {
      std::string name;
      for (const char* at = info.param.name; *at; ++at)
        name += std::isalnum(static_cast<unsigned char>(*at)) ? *at : '_';
      return name + "_" + std::to_string(info.index);
    });

}  // namespace
}  // namespace pomvarin::platform::posix
