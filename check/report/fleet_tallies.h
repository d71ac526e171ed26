// The counts a fleet's report is written from, worked out once from its
// results for every format: how many machines each entry, outcome, warning
// and unserved device concerns, and each configuration's machines.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "check/report/fleet_results.h"

namespace pomvarin::check {

// Something of a fleet by its number, and on how many machines.
struct Tallied {
  Number32 number = 0;
  std::size_t machines = 0;
};

struct EntryTally {
  std::size_t machines = 0;  // that it matches on
  std::size_t outcomes = 0;
  std::vector<Tallied> devices;   // matched by, into FleetResults::devices
  std::vector<Tallied> warnings;  // of its section, into FleetResults::warnings
  // False starts and missed drivers it holds, into machineWarnings.
  std::vector<Tallied> machineWarnings;
  std::vector<Number32> discWarnings;  // into discWarnings
};

struct FleetTallies {
  std::size_t machines = 0;
  std::size_t machinesWithBox = 0;
  std::vector<EntryTally> entries;
  std::vector<std::size_t> outcomeMachines;  // by outcome
  std::vector<std::size_t> outcomeConfigurations;
  std::vector<std::size_t> warningMachines;  // by warning
  std::vector<std::size_t> machineWarningMachines;
  // Each vendor's unserved devices, into FleetResults::devices.
  std::vector<std::vector<Tallied>> unservedByVendor;  // by vendor
  std::vector<Number32> vendorOrder;  // the vendors by name
  std::size_t unservedMachines = 0;  // machines with any
  // The machines of configuration c: byConfiguration[starts[c]] to
  // byConfiguration[starts[c + 1]], numbers into FleetResults::machines.
  std::vector<Number32> byConfiguration;
  std::vector<std::size_t> starts;
};

// Lists are in order of machines, most first, then of their numbers.
FleetTallies Tally(const FleetResults& results);

// The machine numbers of an outcome's configurations, up to limit.
std::vector<Number32> OutcomeMachines(const FleetResults& results,
                                      const FleetTallies& tallies,
                                      Number32 outcome, std::size_t limit);

// Whether a list of sections ("VendorInfo2, VendorInfo3") names section.
bool NamesSection(std::string_view sections, std::string_view section);

}  // namespace pomvarin::check
