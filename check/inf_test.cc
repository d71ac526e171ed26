#include "check/inf.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <iterator>
#include <string>
#include <vector>

#include "tests/inf_cases.h"

namespace pomvarin::check {
namespace {

using Ids = std::vector<std::string>;

// A package with one manufacturer line and the sections it names.
std::string Inf(const std::string& manufacturer, const std::string& rest) {
  return "[Version]\r\nSignature=\"$Windows NT$\"\r\n[Manufacturer]\r\n" +
         manufacturer + "\r\n" + rest;
}

std::string Utf16Le(const std::string& ascii) {
  std::string bytes = "\xFF\xFE";
  for (char c : ascii) {
    bytes += c;
    bytes += '\0';
  }
  return bytes;
}

const std::string kDecorated = Inf(
    "%M% = Models, NTamd64, NTx86.6.1, NTamd64.10.0",
    "[Models]\nd = i, PCI\\VEN_0001&DEV_0000\n"
    "[Models.NTamd64]\nd = i, PCI\\VEN_0001&DEV_0064\n"
    "[models.ntx86.6.1]\nd = i, PCI\\VEN_0001&DEV_0086\n"
    "[Models.NTamd64.10.0]\nd = i, PCI\\VEN_0001&DEV_0A10\n"
    "[Strings]\nM = \"Maker\"\n");

TEST(InfTest, ReadsThePciIdsOfTheModelsSectionsAsWindowsDoes) {
  const struct {
    const char* name;
    std::string bytes;
    const char* target;  // nullptr: every decoration
    Ids ids;
  } cases[] = {
      {"hardware and compatible IDs, upper-cased; other buses left out",
       Inf("Maker=Models", "[Models]\n"
                           "a = i, pci\\ven_10ab&dev_0001, PCI\\VEN_10AB&CC_0200\n"
                           "b = i, USB\\VID_1234&PID_0001\n"),
       nullptr,
       {"PCI\\VEN_10AB&DEV_0001", "PCI\\VEN_10AB&CC_0200"}},
      {"sections and keys without case, comments, quotes, %strkey%",
       Inf("\"Maker; Inc\" = %sect% ; the models", "[MODELS]\n"
           "; PCI\\VEN_0BAD&DEV_0001 in a comment\n"
           "\"a, b\" = i, %ID%\n"
           "[strings]\nSECT = Models\nid = \"PCI\\VEN_10AB&DEV_0002\"\n"),
       nullptr,
       {"PCI\\VEN_10AB&DEV_0002"}},
      {"a line continued with \\",
       Inf("Maker=Models", "[Models]\na = i, \\\r\n   PCI\\VEN_10AB&DEV_0003 \\ ; c\r\n"
                           "  , PCI\\VEN_10AB&DEV_0004\r\n"),
       nullptr,
       {"PCI\\VEN_10AB&DEV_0003", "PCI\\VEN_10AB&DEV_0004"}},
      {"UTF-16 LE with its byte-order mark",
       Utf16Le(Inf("Maker=Models", "[Models]\r\na = i, PCI\\VEN_10AB&DEV_0005\r\n")),
       nullptr,
       {"PCI\\VEN_10AB&DEV_0005"}},
      {"no target: every decorated section and the undecorated one",
       kDecorated, nullptr,
       {"PCI\\VEN_0001&DEV_0000", "PCI\\VEN_0001&DEV_0064",
        "PCI\\VEN_0001&DEV_0086", "PCI\\VEN_0001&DEV_0A10"}},
      {"the most specific decoration that suits",
       kDecorated, "NTamd64.10.0", {"PCI\\VEN_0001&DEV_0A10"}},
      {"an older system passes over a newer decoration",
       kDecorated, "NTamd64.6.1", {"PCI\\VEN_0001&DEV_0064"}},
      {"x86 before 6.1 falls back to the undecorated section",
       kDecorated, "NTx86.5.1", {"PCI\\VEN_0001&DEV_0000"}},
      {"a 64-bit system never reads the undecorated section",
       kDecorated, "NTarm64.10.0", {}},
      {"models sections before and after [Manufacturer], named by %strkey%",
       "[Version]\nSignature=$Chicago$\n[First]\na = i, PCI\\VEN_1&DEV_1\n"
       "[Manufacturer]\nM = %First%\nN = Last\n"
       "[Last]\nb = i, PCI\\VEN_1&DEV_2\n[Strings]\nfirst = First\n",
       nullptr,
       {"PCI\\VEN_1&DEV_1", "PCI\\VEN_1&DEV_2"}},
      {"IDs in the order of the lines naming their sections, each once",
       Inf("A = Second\r\nB = First\r\nC = Second",
           "[First]\nx = i, PCI\\VEN_1&DEV_1, PCI\\VEN_1&DEV_2\n"
           "[Second]\ny = i, PCI\\VEN_1&DEV_2, PCI\\VEN_1&DEV_3\n"
           "[First]\nz = i, PCI\\VEN_1&DEV_3, PCI\\VEN_1&DEV_4\n"),
       nullptr,
       {"PCI\\VEN_1&DEV_2", "PCI\\VEN_1&DEV_3", "PCI\\VEN_1&DEV_1",
        "PCI\\VEN_1&DEV_4"}},
      {"[Strings] before localised ones, its first definition of a key",
       Inf("M = Models", "[Models]\na = i, %Id%\n"
           "[Strings.0407]\nId = PCI\\VEN_1&DEV_1\n"
           "[Strings]\nid = PCI\\VEN_1&DEV_2\nID = PCI\\VEN_1&DEV_3\n"),
       nullptr,
       {"PCI\\VEN_1&DEV_2"}},
      {"only localised strings: the first of them by name",
       Inf("M = Models", "[Models]\na = i, %Id%\n"
           "[Strings.0409]\nId = PCI\\VEN_1&DEV_9\n"
           "[strings.0407]\nId = PCI\\VEN_1&DEV_7\n"
           "[Strings.0410]\nId = PCI\\VEN_1&DEV_A\n"),
       nullptr,
       {"PCI\\VEN_1&DEV_7"}},
  };
  for (const auto& c : cases) {
    InfTarget target;
    if (c.target) ASSERT_TRUE(ParseInfTarget(c.target, &target)) << c.target;
    const InfPackage package = ReadInf(c.bytes, c.target ? &target : nullptr);
    EXPECT_TRUE(package.parsed) << c.name;
    EXPECT_TRUE(package.problems.empty())
        << c.name << ": " << package.problems[0].message;
    EXPECT_EQ(package.ids, c.ids) << c.name;
  }
}

TEST(InfTest, NamesTheLineOfWhatWindowsWouldRefuseOrMiss) {
  const struct {
    const char* name;
    std::string bytes;
    bool parsed;
    int line;
    const char* message;  // a part of the first problem
  } cases[] = {
      {"a section without \"]\"", "[Version]\n\n[Manufacturer\nM=Models\n",
       false, 3, "closing \"]\""},
      {"no signature", "[Version]\nClass=Net\n", false, 1,
       "no [Version] Signature of \"$Windows NT$\""},
      {"a signature Windows does not know",
       "[Version]\nClass=Net\nSignature=\"$Windows$\"\n", false, 3,
       "Signature \"$Windows$\" is not"},
      {"odd UTF-16", Utf16Le("[Version]") + "x", false, 1, "odd number"},
      {"an undefined %strkey%", Inf("M=Models", "[Models]\na = i, %Dev%\n"),
       true, 6, "%Dev% is not defined"},
      {"a models section that is not there", Inf("M=Modles", "[Models]\n"),
       true, 4, "[Modles] is named"},
      {"a decoration that is none", Inf("M=Models, Win10", "[Models]\n"),
       true, 4, "\"Win10\" is no decoration"},
      {"a line before the first section", "Signature=x\n[Version]\n", false,
       1, "before the first section"},
  };
  for (const auto& c : cases) {
    const InfPackage package = ReadInf(c.bytes, nullptr);
    EXPECT_EQ(package.parsed, c.parsed) << c.name;
    ASSERT_FALSE(package.problems.empty()) << c.name;
    EXPECT_EQ(package.problems[0].line, c.line) << c.name;
    EXPECT_NE(package.problems[0].message.find(c.message), std::string::npos)
        << c.name << ": " << package.problems[0].message;
    if (!c.parsed) EXPECT_TRUE(package.ids.empty()) << c.name;
  }
}

// The table the Windows builds also hold the platform's own parser to.
TEST(InfTest, ReadsTheTableOfCasesAsWindowsDoes) {
  for (const tests::InfCase& c : tests::InfCases(POMVARIN_INF_TESTDATA)) {
    ASSERT_FALSE(c.file.empty()) << c.name;
    InfTarget target;
    if (c.target) ASSERT_TRUE(ParseInfTarget(c.target, &target)) << c.target;
    const InfPackage package = ReadInf(c.file, c.target ? &target : nullptr);
    EXPECT_EQ(package.parsed, !c.refused) << c.name;
    EXPECT_EQ(package.ids, c.ids) << c.name;
  }
}

TEST(InfTest, EveryLineNamingASectionMeetsItsProblemsAnew) {
  const InfPackage package = ReadInf(
      Inf("A = Models\r\nB = Missing\r\nC = Models, NTamd64",
          "[Models]\na = i, %Dev%, PCI\\VEN_1&DEV_2\n"),
      nullptr);
  const struct {
    int line;
    const char* message;
  } expected[] = {
      {8, "%Dev% is not defined in [Strings]"},
      {5, "[Missing] is named but not there"},
      {8, "%Dev% is not defined in [Strings]"},
      {6, "[Models.NTamd64] is named but not there"},
  };
  ASSERT_EQ(package.problems.size(), std::size(expected));
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    EXPECT_EQ(package.problems[i].line, expected[i].line) << i;
    EXPECT_EQ(package.problems[i].message, expected[i].message) << i;
  }
  EXPECT_EQ(package.ids, Ids{"PCI\\VEN_1&DEV_2"});
}

TEST(InfTest, TargetsAreDecorations) {
  InfTarget target;
  ASSERT_TRUE(ParseInfTarget("ntAMD64.10.0...22000", &target));
  EXPECT_EQ(target.architecture, "amd64");
  EXPECT_EQ(target.major, 10);
  EXPECT_EQ(target.minor, 0);
  EXPECT_EQ(target.build, 22000);
  ASSERT_TRUE(ParseInfTarget("NTx86.6.1.0x3.0x80.7601", &target));
  EXPECT_EQ(target.productType, 3);
  EXPECT_EQ(target.suiteMask, 0x80u);
  EXPECT_EQ(target.build, 7601);
  for (const char* bad : {"amd64", "NTmips", "NTamd64.ten", "Win10",
                          "NTx86.6.1.1.0x80.7601.1", "NTx86.6.1.0xg"})
    EXPECT_FALSE(ParseInfTarget(bad, &target)) << bad;
}

}  // namespace
}  // namespace pomvarin::check
