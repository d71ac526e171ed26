#include "check/report/outcome.h"

#include <functional>

#include "launcher/launcher.h"

namespace pomvarin::check {

namespace {

std::string Setups(std::int64_t count) {
  return count == 0 ? "no setup"
                    : std::to_string(count) + (count == 1 ? " setup" : " setups");
}

std::size_t HashOf(const Warning& warning) {
  const std::hash<std::string> hash;
  return (hash(warning.section) * 31 + hash(warning.key)) * 31 +
         hash(warning.message);
}

bool SameWarning(const Warning& a, const Warning& b) {
  return a.section == b.section && a.key == b.key && a.message == b.message;
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

void DistinctWarnings::Add(std::vector<Warning> warnings) {
  for (Warning& warning : warnings) {
    if (Remember(warning, warnings_.size()))
      warnings_.push_back(std::move(warning));
  }
}

bool DistinctWarnings::Remember(const Warning& warning, std::size_t position) {
  const std::size_t hash = HashOf(warning);
  const auto [first, last] = positions_.equal_range(hash);
  for (auto seen = first; seen != last; ++seen) {
    if (SameWarning(warnings_[seen->second], warning)) return false;
  }
  positions_.emplace(hash, position);
  return true;
}

std::size_t MachineCount(const std::vector<Configuration>& configurations) {
  std::size_t count = 0;
  for (const Configuration& configuration : configurations)
    count += configuration.machines.size();
  return count;
}

std::size_t MachinesWithBox(const std::vector<Configuration>& configurations) {
  std::size_t count = 0;
  for (const Configuration& configuration : configurations)
    if (configuration.report.showsBox) count += configuration.machines.size();
  return count;
}

ExitStatus CheckStatus(bool allCapturesRead,
                       const std::vector<Warning>& warnings,
                       const FleetReport& packages) {
  if (!allCapturesRead) return kCannotCheck;
  if (!warnings.empty() || !packages.warnings.empty()) return kWarnings;
  return kNothingWrong;
}

}  // namespace pomvarin::check
