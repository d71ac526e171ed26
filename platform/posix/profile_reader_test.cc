#include "platform/posix/profile_reader.h"

#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "tests/posix_temp_files.h"
#include "tests/profile_cases.h"

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

struct ProfileCase {
  const char* name;
  std::string data;
  const char* section;
  const char* key;
  const char* fallback;
  const char* expected;
};

void PrintTo(const ProfileCase& c, std::ostream* out) { *out << c.name; }

class ProfileRules : public ::testing::TestWithParam<ProfileCase> {};

TEST_P(ProfileRules, FindsTheValueTheWindowsReaderWould) {
  const ProfileCase& c = GetParam();
  EXPECT_EQ(Find(c.data, c.section, c.key, c.fallback), c.expected);
}

// std::string literals, so that NUL bytes stay in the data.
using namespace std::string_literals;

const ProfileCase kProfileCases[] = {
    {"Plain", "[PomvarinInfo]\nVendorCount=3\n", "PomvarinInfo",
     "VendorCount", "fb", "3"},
    {"SectionAndKeyIgnoreCase", "[POMVARININFO]\nvendorcount=3\n",
     "PomvarinInfo", "VENDORCOUNT", "fb", "3"},
    {"CaseFoldIsAsciiOnly", "[s]\n\xC3\x89=1\n", "s", "\xC3\xA9", "fb", "fb"},
    {"BlanksAroundNamesAndValue",
     " \t[ \tS \t] \r\n \v\f\x1Ak \t= \t v a l \t\v\f\x1A\r\n", "s", "k", "fb",
     "v a l"},
    {"RequestedNamesTrimmed", "[s]\nk=v\n", " s\t", "\tk ", "fb", "v"},
    {"DoubleQuotesRemoved", "[s]\nk=\"a b\"\n", "s", "k", "fb", "a b"},
    {"SingleQuotesRemoved", "[s]\nk='a b'\n", "s", "k", "fb", "a b"},
    {"QuotesRemovedAfterTrimming", "[s]\nk= \"a\" \n", "s", "k", "fb", "a"},
    {"BlanksInsideQuotesKept", "[s]\nk=\" a \"\n", "s", "k", "fb", " a "},
    {"OnlyOnePairRemoved", "[s]\nk=\"\"a\"\"\n", "s", "k", "fb", "\"a\""},
    {"MixedQuotesKept", "[s]\nk=\"a'\n", "s", "k", "fb", "\"a'"},
    {"LoneQuoteKept", "[s]\nk=\"\n", "s", "k", "fb", "\""},
    {"QuotesInsideKept", "[s]\nk=a\"b\"\n", "s", "k", "fb", "a\"b\""},
    {"EmptyQuotedValue", "[s]\nk=''\n", "s", "k", "fb", ""},
    {"CommentLineSkipped", "[s]\n;k=1\nk=2\n", "s", "k", "fb", "2"},
    {"IndentedCommentSkipped", "[s]\n \t;k=1\n", "s", "k", "fb", "fb"},
    {"CommentedSectionSkipped", ";[s]\nk=1\n", "s", "k", "fb", "fb"},
    {"SemicolonInValueKept", "[s]\nk=a ; b\n", "s", "k", "fb", "a ; b"},
    {"HashIsNoComment", "[s]\n#k=1\nk=2\n", "s", "#k", "fb", "1"},
    {"FirstKeyWins", "[s]\nk=1\nK=2\n", "s", "k", "fb", "1"},
    {"FirstSectionWins", "[s]\nk=1\n[S]\nk=2\n", "s", "k", "fb", "1"},
    {"OnlyFirstSectionSearched", "[s]\na=1\n[s]\nk=2\n", "s", "k", "fb",
     "fb"},
    {"KeyOfAnotherSection", "[t]\nk=1\n[s]\nj=2\n", "s", "k", "fb", "fb"},
    {"KeyAfterSectionEnds", "[s]\nj=1\n[t]\nk=2\n", "s", "k", "fb", "fb"},
    {"KeyBeforeAnySection", "k=1\n[s]\n", "s", "k", "fb", "fb"},
    {"FirstEqualsSplits", "[s]\nk=a=b\n", "s", "k", "fb", "a=b"},
    {"EqualsInSectionName", "[a=b]\nk=1\n", "a=b", "k", "fb", "1"},
    {"TextAfterSectionBracketIgnored", "[s] ; note\nk=1\n", "s", "k", "fb",
     "1"},
    {"BracketLineWithoutCloseIsNoSection", "[s]\n[t\nk=1\n", "s", "k", "fb",
     "1"},
    {"NamePrefixDoesNotMatch", "[ss]\nkk=1\n[s]\nk=2\n", "s", "k", "fb", "2"},
    {"LongerRequestDoesNotMatch", "[s]\nk=1\n", "s", "kk", "fb", "fb"},
    {"LineWithoutEqualsIsNoKey", "[s]\nk\nk=2\n", "s", "k", "fb", "2"},
    {"EmptyValueIsNotTheFallback", "[s]\nk=\n", "s", "k", "fb", ""},
    {"BlankValueIsEmpty", "[s]\nk= \t \n", "s", "k", "fb", ""},
    {"MissingSection", "[t]\nk=1\n", "s", "k", "fb", "fb"},
    {"MissingKey", "[s]\nj=1\n", "s", "k", "fb", "fb"},
    {"EmptyData", "", "s", "k", "fb", "fb"},
    {"NullFallbackIsEmpty", "", "s", "k", nullptr, ""},
    {"FallbackLosesTrailingSpaces", "", "s", "k", " fb  ", " fb"},
    {"CarriageReturnLineEnds", "[s]\r\nj=0\r\nk=1\r\n", "s", "k", "fb", "1"},
    {"NoFinalNewline", "[s]\nk=1", "s", "k", "fb", "1"},
    {"NoFinalNewlineAfterSection", "[s]", "s", "k", "fb", "fb"},
    {"ByteOrderMarkSkipped", "\xEF\xBB\xBF[s]\nk=1\n", "s", "k", "fb", "1"},
    {"ByteOrderMarkOnlyAtStart", "[s]\n\xEF\xBB\xBFk=1\n", "s", "k", "fb",
     "fb"},
    {"NulEndsTheValueRead", "[s]\nk=a\0b\n"s, "s", "k", "fb", "a"},
    {"NulInSectionNameNeverMatches", "[s\0]\nk=1\n"s, "s", "k", "fb", "fb"},
    {"NulLineSkipped", "[s]\n\0\nk=1\n"s, "s", "k", "fb", "1"},
};

INSTANTIATE_TEST_SUITE_P(
    Rules, ProfileRules, ::testing::ValuesIn(kProfileCases),
    [](const ::testing::TestParamInfo<ProfileCase>& info) {
      return std::string(info.param.name);
    });

TEST(ProfileValueCut, LongValueKeepsItsFirst259Characters) {
  const std::string longValue(300, 'v');
  EXPECT_EQ(Find("[s]\nk=" + longValue + "\n", "s", "k", "fb"),
            std::string(259, 'v'));
}

TEST(ProfileValueCut, QuotesRemovedBeforeTheCut) {
  const std::string inner = "a" + std::string(298, 'v') + "z";
  EXPECT_EQ(Find("[s]\nk=\"" + inner + "\"\n", "s", "k", "fb"),
            inner.substr(0, 259));
}

TEST(ProfileValueCut, LongFallbackKeepsItsFirst259Characters) {
  const std::string longFallback(300, 'f');
  EXPECT_EQ(Find("", "s", "k", longFallback.c_str()), std::string(259, 'f'));
}

TEST(ProfileValueCut, ValueOf259CharactersKeptWhole) {
  const std::string value(259, 'v');
  EXPECT_EQ(Find("[s]\nk=" + value, "s", "k", "fb"), value);
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
TEST_F(ProfileFile, ReadsTheSharedCasesLikeTheWindowsReader) {
  for (const tests::ProfileCase& c : tests::ProfileCases()) {
    const std::string path = folder_.Join("Pomvarin.ini");
    ASSERT_TRUE(test_support::WriteFile(path, c.file)) << c.name;
    EXPECT_EQ(Read(path, c.section, c.key), c.expected) << c.name;
  }
}

}  // namespace
}  // namespace pomvarin::platform::posix
