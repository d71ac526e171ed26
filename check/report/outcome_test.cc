#include "check/report/outcome.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace pomvarin::check {
namespace {

EntryReport Entry(std::int32_t number, std::int32_t lastNumber, bool matched,
                  std::size_t normal, std::size_t silent) {
  EntryReport entry;
  entry.number = number;
  entry.lastNumber = lastNumber;
  entry.matched = matched;
  entry.normal = std::vector<SetupFile>(normal);
  entry.silent = std::vector<SetupFile>(silent);
  return entry;
}

TEST(CountTotalsTest, CountsEachSectionOfARunAndOnlyMatchedStarts) {
  Report report;
  report.entries = {Entry(1, 1, true, 2, 1), Entry(2, 4, false, 1, 1),
                    Entry(5, 6, true, 1, 0)};
  const Totals totals = CountTotals(report);
  EXPECT_EQ(totals.entries, 6);
  EXPECT_EQ(totals.matched, 3);
  EXPECT_EQ(totals.normalStarts, 4);
  EXPECT_EQ(totals.silentStarts, 1);
}

TEST(SummaryTest, CountsInWordsAndNamesTheBox) {
  Report one;
  one.entries = {Entry(1, 1, true, 1, 0)};
  Report none;
  none.showsBox = true;
  const struct {
    Report report;
    std::string summary;
  } cases[] = {
      {one, "1 of 1 vendor entry match. The launcher would start 1 setup "
            "(0 with /s) and show no warning box."},
      {none, "0 of 0 vendor entries match. The launcher would start no setup "
             "(0 with /s) and show the warning box \"No Matched Device "
             "Driver!\"."},
  };
  for (const auto& c : cases) EXPECT_EQ(Summary(c.report), c.summary);
}

TEST(CheckStatusTest, AnUnreadCaptureOutweighsWarnings) {
  const std::vector<Warning> warned = {{"VendorInfo1", "", "is missing"}};
  FleetReport packagesWarned;
  packagesWarned.warnings = {{FleetWarningKind::kBrokenInf, "", 0, "", "a.inf",
                              "line 1: no closing ]"}};
  const struct {
    bool allRead;
    std::vector<Warning> warnings;
    FleetReport packages;
    ExitStatus status;
  } cases[] = {
      {true, {}, {}, kNothingWrong},
      {true, warned, {}, kWarnings},
      {true, {}, packagesWarned, kWarnings},
      {false, {}, {}, kCannotCheck},
      {false, warned, packagesWarned, kCannotCheck},
  };
  for (const auto& c : cases)
    EXPECT_EQ(CheckStatus(c.allRead, c.warnings, c.packages), c.status)
        << c.allRead << " " << c.warnings.size() << " "
        << c.packages.warnings.size();
}

}  // namespace
}  // namespace pomvarin::check
