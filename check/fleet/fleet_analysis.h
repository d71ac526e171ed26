// One disc over many machines: what starts on each, which devices nothing
// started serves, and whether each entry's VenID agrees with the driver
// packages (.inf files) in its own folder.
#pragma once

#include <string>
#include <unordered_set>
#include <vector>

#include "check/fleet/devices.h"
#include "check/fleet/disc_packages.h"
#include "check/packages/inf.h"
#include "check/report/results.h"

namespace pomvarin::check {

// Weighs the packages against each configuration as it is checked, and
// each entry's VenID against them once every configuration is.
class FleetAnalysis {
 public:
  // entries: as every machine reads them.
  FleetAnalysis(const std::vector<EntryReport>& entries,
                const InfTarget* target);

  // The packages' count, their strings sections read and the warnings of
  // broken ones.
  void DescribePackages(FleetReport* report) const;

  // The false starts and missed drivers of one configuration (numbered
  // from 1 in the warnings), and its devices no started entry serves.
  void Weigh(std::size_t configuration, const Devices& devices,
             const Report& report, std::vector<FleetWarning>* warnings,
             Coverage* coverage);

  // Whether each entry's VenID matches a device its own packages list or
  // a device of the configurations weighed that they serve.
  void CheckVenIds(std::vector<FleetWarning>* warnings) const;

 private:
  std::vector<EntryReport> entries_;
  DiscPackages packages_;
  // The first hardware IDs of the captured devices each entry's packages
  // serve, without repeats.
  std::vector<std::unordered_set<std::string>> servedFirstIds_;
};

// The analysis of configurations checked together: the packages' part of
// their report, warnings in the order DescribePackages, CheckVenIds, then
// each configuration's.
FleetReport CheckFleet(const std::vector<Configuration>& configurations,
                       const InfTarget* target);

}  // namespace pomvarin::check
