// What a check comes to, worked out from its results before anything is
// written: the counts behind a machine's summary, the configuration's
// warnings over all machines, and the exit status.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "check/report/fleet_results.h"
#include "check/report/results.h"

namespace pomvarin::check {

enum ExitStatus {
  kNothingWrong = 0,
  kWarnings = 1,
  kCannotCheck = 2,  // Pomvarin.ini, the folder or the devices cannot be read
};

// A run of missing sections that read alike counts once per section.
struct Totals {
  std::int64_t entries = 0;
  std::int64_t matched = 0;
  std::int64_t normalStarts = 0;  // setups started without /s
  std::int64_t silentStarts = 0;  // and with it
};

Totals CountTotals(const Report& report);

// The totals and the warning box in one sentence, the same in text and JSON.
std::string Summary(const Report& report);

// A capture that could not be read outweighs any warning.
ExitStatus CheckStatus(bool allCapturesRead,
                       const std::vector<Warning>& warnings,
                       const FleetReport& packages);
ExitStatus FleetStatus(bool allCapturesRead, const FleetResults& results);

}  // namespace pomvarin::check
