#include "check/report/outcome.h"

#include "launcher/launcher.h"

namespace pomvarin::check {

namespace {

std::string Setups(std::int64_t count) {
  return count == 0 ? "no setup"
                    : std::to_string(count) + (count == 1 ? " setup" : " setups");
}

}  // namespace

Totals CountTotals(const Report& report) {
  Totals totals;
  for (const EntryReport& entry : report.entries) {
    const std::int64_t covered =
        static_cast<std::int64_t>(entry.lastNumber) - entry.number + 1;
    totals.entries += covered;
    if (!entry.matched) continue;
    totals.matched += covered;
    totals.normalStarts += covered * static_cast<std::int64_t>(entry.normal.size());
    totals.silentStarts += covered * static_cast<std::int64_t>(entry.silent.size());
  }
  return totals;
}

std::string Summary(const Report& report) {
  const Totals totals = CountTotals(report);
  std::string summary = std::to_string(totals.matched) + " of " +
                        std::to_string(totals.entries) +
                        (totals.entries == 1 ? " vendor entry" : " vendor entries") +
                        " match. The launcher would start " +
                        Setups(totals.normalStarts) + " (" +
                        std::to_string(totals.silentStarts) +
                        " with /s) and show ";
  summary += report.showsBox
                 ? std::string("the warning box \"") + kWarningText + "\"."
                 : std::string("no warning box.");
  return summary;
}

ExitStatus CheckStatus(bool allCapturesRead,
                       const std::vector<Warning>& warnings,
                       const FleetReport& packages) {
  if (!allCapturesRead) return kCannotCheck;
  if (!warnings.empty() || !packages.warnings.empty()) return kWarnings;
  return kNothingWrong;
}

}  // namespace pomvarin::check

namespace pomvarin::check {

ExitStatus FleetStatus(bool allCapturesRead, const FleetResults& results) {
  if (!allCapturesRead) return kCannotCheck;
  if (!results.warnings.empty() || !results.discWarnings.empty() ||
      !results.machineWarnings.empty())
    return kWarnings;
  return kNothingWrong;
}

}  // namespace pomvarin::check
