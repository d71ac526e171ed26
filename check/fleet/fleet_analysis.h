// One disc over many machines: what starts on each, which devices nothing
// started serves, and whether each entry's VenID agrees with the driver
// packages (.inf files) in its own folder.
#pragma once

#include <string>
#include <vector>

#include "check/check.h"
#include "check/fleet/devices.h"
#include "check/packages/inf.h"
#include "check/packages/inf_walk.h"
#include "check/report/results.h"

namespace pomvarin::check {

// The IDs Windows matches a device's drivers by: its hardware IDs, then the
// compatible IDs made from the numbers of its first hardware ID (and the
// class code of any hardware ID that gives one), in upper case. A device
// without VEN_ in its first hardware ID has no compatible IDs.
std::vector<std::string> MatchingIds(const Device& device);

// Reads the disc's packages below the current directory and the entries'
// roots, and weighs them against every configuration's report.
FleetReport CheckFleet(const std::vector<Configuration>& configurations,
                       const InfTarget* target);

}  // namespace pomvarin::check
