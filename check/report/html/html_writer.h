// The check's results as one HTML page for people to look at, share by mail
// and print: the same results --json writes, for one machine or a fleet.
// The page is whole in itself (its style inside, no script, nothing
// fetched) and every text from the disc, the captures or the .inf files is
// escaped.
#pragma once

#include <string>
#include <vector>

#include "check/report/fleet_results.h"
#include "check/report/results.h"

namespace pomvarin::check {

// checkedAt: when the check was made, as the page shows it.
std::string HtmlSingleMachine(const Configuration& machine,
                              const DeviceSource& devices,
                              const FleetReport& packages,
                              const std::string& checkedAt);

// Over many machines (html_fleet.cc).
std::string HtmlFleet(const FleetResults& results, const std::string& checkedAt);

}  // namespace pomvarin::check
