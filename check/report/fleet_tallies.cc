#include "check/report/fleet_tallies.h"

#include <algorithm>
#include <map>

namespace pomvarin::check {

namespace {

// From counts by number to the list, most machines first.
std::vector<Tallied> Ranked(const std::map<Number32, std::size_t>& counts) {
  std::vector<Tallied> ranked;
  for (const auto& [number, machines] : counts) ranked.push_back({number, machines});
  std::stable_sort(ranked.begin(), ranked.end(),
                   [](const Tallied& a, const Tallied& b) {
                     return a.machines > b.machines;
                   });
  return ranked;
}

}  // namespace

bool NamesSection(std::string_view sections, std::string_view section) {
  std::size_t at = 0;
  while (at <= sections.size()) {
    std::size_t end = sections.find(", ", at);
    if (end == std::string_view::npos) end = sections.size();
    if (sections.substr(at, end - at) == section) return true;
    at = end + 2;
  }
  return false;
}

FleetTallies Tally(const FleetResults& results) {
  FleetTallies tallies;
  const std::size_t entryCount = results.entries.size();
  tallies.outcomeMachines.resize(results.outcomes.size());
  tallies.outcomeConfigurations.resize(results.outcomes.size());
  tallies.warningMachines.resize(results.warnings.size());
  tallies.machineWarningMachines.resize(results.machineWarnings.size());
  std::vector<std::map<Number32, std::size_t>> devices(entryCount);
  std::vector<std::map<Number32, std::size_t>> unserved(results.vendors.size());
  for (const FleetConfiguration& configuration : results.configurations) {
    const std::size_t machines = configuration.machines;
    const FleetOutcome& outcome = results.outcomes[configuration.outcome];
    tallies.machines += machines;
    if (outcome.showsBox) tallies.machinesWithBox += machines;
    tallies.outcomeMachines[configuration.outcome] += machines;
    ++tallies.outcomeConfigurations[configuration.outcome];
    std::size_t matched = 0;
    for (std::size_t e = 0; e < entryCount && e < outcome.matched.size(); ++e)
      if (outcome.matched[e])
        devices[e][configuration.matchedDevices[matched++]] += machines;
    for (Number32 warning : configuration.warnings)
      tallies.warningMachines[warning] += machines;
    for (Number32 warning : configuration.packageWarnings)
      tallies.machineWarningMachines[warning] += machines;
    for (Number32 device : configuration.unserved)
      unserved[results.vendorOfDevice[device]][device] += machines;
    if (!configuration.unserved.empty()) tallies.unservedMachines += machines;
  }
  for (std::size_t o = 0; o < results.outcomes.size(); ++o)
    for (Number32 warning : results.outcomes[o].warnings)
      tallies.warningMachines[warning] += tallies.outcomeMachines[o];
  for (std::size_t v = 0; v < unserved.size(); ++v) {
    tallies.unservedByVendor.push_back(Ranked(unserved[v]));
    tallies.vendorOrder.push_back(static_cast<Number32>(v));
  }
  std::sort(tallies.vendorOrder.begin(), tallies.vendorOrder.end(),
            [&](Number32 a, Number32 b) {
              return results.vendors[a] < results.vendors[b];
            });

  tallies.entries.resize(entryCount);
  for (std::size_t e = 0; e < entryCount; ++e) {
    EntryTally& entry = tallies.entries[e];
    const std::string& section = results.entries[e].section;
    entry.devices = Ranked(devices[e]);
    for (const Tallied& device : entry.devices) entry.machines += device.machines;
    for (std::size_t o = 0; o < results.outcomes.size(); ++o)
      if (e < results.outcomes[o].matched.size() && results.outcomes[o].matched[e])
        ++entry.outcomes;
    std::map<Number32, std::size_t> warnings, machineWarnings;
    for (std::size_t w = 0; w < results.warnings.size(); ++w)
      if (results.warnings[w].section == section)
        warnings[static_cast<Number32>(w)] = tallies.warningMachines[w];
    for (std::size_t w = 0; w < results.machineWarnings.size(); ++w)
      if (NamesSection(results.machineWarnings[w].section, section))
        machineWarnings[static_cast<Number32>(w)] = tallies.machineWarningMachines[w];
    entry.warnings = Ranked(warnings);
    entry.machineWarnings = Ranked(machineWarnings);
    for (std::size_t w = 0; w < results.discWarnings.size(); ++w)
      if (NamesSection(results.discWarnings[w].section, section))
        entry.discWarnings.push_back(static_cast<Number32>(w));
  }

  // The machines by configuration, each configuration's in the order read.
  tallies.starts.assign(results.configurations.size() + 1, 0);
  for (std::size_t c = 0; c < results.configurations.size(); ++c)
    tallies.starts[c + 1] = tallies.starts[c] + results.configurations[c].machines;
  std::vector<std::size_t> next(tallies.starts.begin(), tallies.starts.end() - 1);
  tallies.byConfiguration.resize(results.machines.size());
  for (std::size_t m = 0; m < results.machines.size(); ++m)
    tallies.byConfiguration[next[results.machines.configurations[m]]++] =
        static_cast<Number32>(m);
  return tallies;
}

std::vector<Number32> OutcomeMachines(const FleetResults& results,
                                      const FleetTallies& tallies,
                                      Number32 outcome, std::size_t limit) {
  std::vector<Number32> machines;
  for (std::size_t c = 0;
       c < results.configurations.size() && machines.size() < limit; ++c) {
    if (results.configurations[c].outcome != outcome) continue;
    for (std::size_t at = tallies.starts[c];
         at < tallies.starts[c + 1] && machines.size() < limit; ++at)
      machines.push_back(tallies.byConfiguration[at]);
  }
  return machines;
}

}  // namespace pomvarin::check
