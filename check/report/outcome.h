// What a check comes to, worked out from its results before anything is
// written: the counts behind a machine's summary, the configuration's
// warnings over all machines, and the exit status.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

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

// The configuration's warnings of all machines, each once, in the order
// first seen. Every machine reads the same Pomvarin.ini, so most of each
// machine's warnings are the first machine's again: they are taken in as
// each machine is checked, and held once rather than once a machine.
class DistinctWarnings {
 public:
  void Add(std::vector<Warning> warnings);
  const std::vector<Warning>& warnings() const { return warnings_; }

 private:
  // Whether the warning is new; it is then remembered as the one that is
  // to stand at position.
  bool Remember(const Warning& warning, std::size_t position);

  std::vector<Warning> warnings_;
  // From a warning's hash to its positions in warnings_.
  std::unordered_multimap<std::size_t, std::size_t> positions_;
};

// The machines of all configurations.
std::size_t MachineCount(const std::vector<Configuration>& configurations);

// The machines of the configurations that show the warning box.
std::size_t MachinesWithBox(const std::vector<Configuration>& configurations);

// A capture that could not be read outweighs any warning.
ExitStatus CheckStatus(bool allCapturesRead,
                       const std::vector<Warning>& warnings,
                       const FleetReport& packages);

}  // namespace pomvarin::check
