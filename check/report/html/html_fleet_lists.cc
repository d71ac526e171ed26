// The HTML page over many machines, its lists: the first configurations,
// the devices nothing started serves, and the warnings with the machines
// they concern.
#include <algorithm>

#include "check/report/html/html_fleet_parts.h"
#include "check/report/html/html_text.h"

namespace pomvarin::check {

namespace {

constexpr std::size_t kConfigurationsShown = 100;
constexpr std::size_t kWarningsShown = 500;

}  // namespace


std::size_t KindIndex(FleetWarningKind kind) {
  return static_cast<std::size_t>(&KindOf(kind) - kWarningKinds);
}

std::string MachinesText(std::size_t count) {
  return Counted(count, "machine", "machines");
}

std::string OutcomeLink(std::size_t outcome) {
  const std::string number = std::to_string(outcome);
  return "<a href=\"#o" + number + "\">" + number + "</a>";
}

namespace {

// "and 12 more, on 40 machines" past the first named of a list.
std::string More(const std::vector<Tallied>& list, std::size_t named) {
  if (list.size() <= named) return "";
  std::size_t machines = 0;
  for (std::size_t i = named; i < list.size(); ++i) machines += list[i].machines;
  return "<br><small>and " + Number(list.size() - named) + " more, on " +
         MachinesText(machines) + "</small>";
}

}  // namespace

std::string DeviceCounts(const FleetResults& results,
                         const std::vector<Tallied>& devices) {
  std::string cell;
  for (std::size_t i = 0; i < devices.size() && i < kDevicesNamed; ++i)
    cell += (i > 0 ? "<br>" : "") + std::string("<span class=id>") +
            Html(results.devices[devices[i].number]) + "</span> (" +
            Number(devices[i].machines) + ")";
  return cell + More(devices, kDevicesNamed);
}

void AppendConfigurations(std::string& html, const FleetResults& results,
                          const FleetTallies& tallies) {
  html += "<h2 id=configurations>Configurations</h2>\n<p>Machines whose "
          "captures give the same devices: " +
          Number(results.configurations.size()) +
          (results.configurations.size() > kConfigurationsShown
               ? ", the first " + Number(kConfigurationsShown) + " here"
               : std::string()) +
          ".</p>\n<table><thead><tr><th>Configuration</th><th>Outcome</th>"
          "<th>Devices</th><th>Unserved</th><th>Machines</th></tr></thead>"
          "<tbody>\n";
  for (std::size_t c = 0;
       c < results.configurations.size() && c < kConfigurationsShown; ++c) {
    const FleetConfiguration& configuration = results.configurations[c];
    std::string names;
    for (std::size_t at = tallies.starts[c];
         at < tallies.starts[c + 1] && at < tallies.starts[c] + kDevicesNamed; ++at)
      names += (at > tallies.starts[c] ? ", " : "") +
               Html(std::string(results.machines[tallies.byConfiguration[at]]));
    if (configuration.machines > kDevicesNamed)
      names += " and " + Number(configuration.machines - kDevicesNamed) + " more";
    for (Number32 note : configuration.notes)
      names += "<br><small>Note: " + Html(results.notes[note]) + "</small>";
    html += "<tr id=c" + std::to_string(c + 1) + "><th scope=row>" +
            std::to_string(c + 1) + "</th><td>" +
            OutcomeLink(configuration.outcome + 1) + "</td><td>" +
            Number(configuration.devices) + "</td><td>" +
            Number(configuration.unserved.size()) + "</td><td>" +
            Number(configuration.machines) + ": <span class=names>" + names +
            "</span></td></tr>\n";
  }
  html += "</tbody></table>\n";
}

void AppendUnserved(std::string& html, const FleetResults& results,
                    const FleetTallies& tallies) {
  html += "<h2 id=unserved>Devices no started entry's .inf serves</h2>\n";
  if (tallies.unservedByVendor.empty()) {
    html += "<p>None.</p>\n";
    return;
  }
  html += "<table><thead><tr><th>Vendor</th><th>Devices</th><th>Most met "
          "(machines)</th></tr></thead><tbody>\n";
  for (Number32 v : tallies.vendorOrder) {
    const std::vector<Tallied>& devices = tallies.unservedByVendor[v];
    html += "<tr><td>" + Html(results.vendors[v]) +
            "</td><td>" + Number(devices.size()) + "</td><td>" +
            DeviceCounts(results, devices) + "</td></tr>\n";
  }
  html += "</tbody></table>\n";
}

void AppendWarnings(std::string& html, const FleetResults& results,
                    const FleetTallies& tallies) {
  html += "<h2 id=warnings>Warnings of Pomvarin.ini</h2>\n";
  if (results.warnings.empty()) html += "<p>None.</p>\n";
  else html += "<table><thead><tr><th>Section</th><th>Key</th><th>Warning</th>"
               "<th>Machines</th></tr></thead><tbody>\n";
  for (std::size_t w = 0; w < results.warnings.size() && w < kWarningsShown; ++w) {
    const Warning& warning = results.warnings[w];
    html += "<tr><td>" + Html(warning.section) + "</td><td>" +
            Html(warning.key) + "</td><td>" + Html(warning.message) +
            "</td><td>" + Number(tallies.warningMachines[w]) + "</td></tr>\n";
  }
  if (!results.warnings.empty()) html += "</tbody></table>\n";

  html += "<h2 id=package-warnings>Package warnings</h2>\n";
  KindCounts kinds{};
  for (const auto* list : {&results.discWarnings, &results.machineWarnings})
    for (const FleetWarning& warning : *list) ++kinds[KindIndex(warning.kind)];
  if (results.discWarnings.empty() && results.machineWarnings.empty()) {
    html += "<p>None.</p>\n";
    return;
  }
  html += "<p class=filter>Show: <label><input type=radio name=kind "
          "id=kind-all checked> all</label>";
  for (const WarningKind& kind : kWarningKinds)
    if (kinds[KindIndex(kind.kind)])
      html += std::string("<label><input type=radio name=kind id=kind-") +
              kind.name + "> " + kind.label + " (" +
              Number(kinds[KindIndex(kind.kind)]) + ")</label>";
  html += "</p>\n<table class=kinds><thead><tr><th>Kind</th><th>Entry</th>"
          "<th>Machines</th><th>Device</th><th>.inf</th><th>Message</th>"
          "</tr></thead><tbody>\n";
  const std::string none;
  for (const FleetWarning& warning : results.discWarnings)
    html += PackageWarningRow(warning, &none);
  std::vector<Tallied> ranked;
  for (std::size_t w = 0; w < results.machineWarnings.size(); ++w)
    ranked.push_back({static_cast<Number32>(w), tallies.machineWarningMachines[w]});
  std::stable_sort(ranked.begin(), ranked.end(),
                   [](const Tallied& a, const Tallied& b) {
                     return a.machines > b.machines;
                   });
  for (std::size_t i = 0; i < ranked.size() && i < kWarningsShown; ++i) {
    const std::string machines = Number(ranked[i].machines);
    html += PackageWarningRow(results.machineWarnings[ranked[i].number], &machines);
  }
  html += "</tbody></table>\n";
  if (ranked.size() > kWarningsShown)
    html += "<p>The " + Number(kWarningsShown) + " of " + Number(ranked.size()) +
            " that concern the most machines; --json lists them all.</p>\n";
}

}  // namespace pomvarin::check
