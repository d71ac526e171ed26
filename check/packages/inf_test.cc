// The .inf reader held to the shared table of cases and the lines it names.
#include "check/packages/inf.h"

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
      {"odd UTF-16", tests::Utf16Le("[Version]") + "x", false, 1, "odd number"},
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
