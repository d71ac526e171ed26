// The pieces of the HTML page over many machines that its files share.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "check/report/fleet_tallies.h"
#include "check/report/html/html_parts.h"

namespace pomvarin::check {

// How many devices a cell names before it counts the rest.
constexpr std::size_t kDevicesNamed = 5;

using KindCounts = std::array<std::size_t, std::size(kWarningKinds)>;
std::size_t KindIndex(FleetWarningKind kind);

// "1 machine", "1,000 machines".
std::string MachinesText(std::size_t count);

std::string OutcomeLink(std::size_t outcome);

// The first devices of a list with their machines, and how many more.
std::string DeviceCounts(const FleetResults& results,
                         const std::vector<Tallied>& devices);

void AppendConfigurations(std::string& html, const FleetResults& results,
                          const FleetTallies& tallies);
void AppendUnserved(std::string& html, const FleetResults& results,
                    const FleetTallies& tallies);
void AppendWarnings(std::string& html, const FleetResults& results,
                    const FleetTallies& tallies);

}  // namespace pomvarin::check
