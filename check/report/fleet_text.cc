// A fleet's report as plain text: one part per entry over all machines,
// then the outcomes, the configurations and the warnings, each list folded
// past a limit, with counts, so that thousands of machines read in a few
// hundred lines. --json lists everything.
#include <algorithm>

#include "check/report/fleet_tallies.h"
#include "check/report/text_parts.h"
#include "launcher/launcher.h"

namespace pomvarin::check {

namespace {

// How many of a list are named before the rest is counted.
constexpr std::size_t kNamed = 5;
constexpr std::size_t kListed = 20;
constexpr std::size_t kShort = 3;

std::string Counted(std::size_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string On(std::size_t machines) { return "on " + Machines(machines); }

// The rest of a list past the ones named: ", and 3 more on 12 machines".
template <typename List>
std::string More(const List& list, std::size_t named, const char* what) {
  if (list.size() <= named) return "";
  std::size_t machines = 0;
  for (std::size_t i = named; i < list.size(); ++i) machines += list[i].machines;
  return std::string("and ") + std::to_string(list.size() - named) + " more " +
         what + " " + On(machines);
}

// How many different warnings and how often they occur, with the most
// frequent named after it.
std::string InAll(const std::vector<Tallied>& warnings) {
  std::size_t times = 0;
  for (const Tallied& warning : warnings) times += warning.machines;
  return Counted(warnings.size(), "warning", "different warnings") +
         (warnings.size() == 1 ? "" : ", " + std::to_string(times) + " in all") +
         (warnings.size() > kShort ? ", the most frequent:" : ":");
}

std::string Place(const FleetWarning& warning) {
  std::string where;
  if (!warning.section.empty()) where = "entry " + warning.section;
  if (!warning.inf.empty()) where += (where.empty() ? "" : ", ") + (".inf " + warning.inf);
  return where;
}

void AppendEntry(std::string& text, const FleetResults& results,
                 const FleetTallies& tallies, std::size_t e) {
  const EntryReport& entry = results.entries[e];
  const EntryTally& tally = tallies.entries[e];
  text += "\n[" + entry.section + "] " + entry.venName;
  if (!entry.sectionPresent) text += " (section missing)";
  text += "\n  VenID:  " + entry.upperId + ", then " + entry.lowerId + "\n";
  text += "  root:   " + entry.root + "\n";
  AppendFiles(text, "  normal: ", entry.normal);
  AppendFiles(text, "  silent: ", entry.silent);
  text += "  matches " + std::to_string(tally.machines) + " of " +
          Machines(tallies.machines) + " (" +
          Counted(tally.outcomes, "outcome", "outcomes") + ")";
  if (tally.machines > 0)
    text += ", starting " + Counted(entry.normal.size(), "file", "files") +
            " (" + std::to_string(entry.silent.size()) + " with /s) on each";
  text += tally.devices.empty() ? "\n" : ", by:\n";
  for (std::size_t i = 0; i < tally.devices.size() && i < kNamed; ++i)
    text += "    " + results.devices[tally.devices[i].number] + " " +
            On(tally.devices[i].machines) + "\n";
  if (tally.devices.size() > kNamed)
    text += "    " + More(tally.devices, kNamed, "devices") + "\n";
  for (Number32 w : tally.discWarnings)
    text += std::string("  ") + KindLabel(results.discWarnings[w].kind) +
            ": " + results.discWarnings[w].message + "\n";
  if (!tally.warnings.empty())
    text += "  Pomvarin.ini warnings: " + InAll(tally.warnings) + "\n";
  for (std::size_t i = 0; i < tally.warnings.size() && i < kShort; ++i) {
    const Warning& warning = results.warnings[tally.warnings[i].number];
    text += "    " + On(tally.warnings[i].machines) + ": " +
            (warning.key.empty() ? "" : warning.key + " ") + warning.message +
            "\n";
  }
  for (const FleetWarningKind kind :
       {FleetWarningKind::kFalseStart, FleetWarningKind::kMissedDriver}) {
    std::vector<Tallied> ofKind;
    for (const Tallied& warning : tally.machineWarnings)
      if (results.machineWarnings[warning.number].kind == kind)
        ofKind.push_back(warning);
    if (ofKind.empty()) continue;
    text += std::string("  ") + KindLabel(kind) + ": " + InAll(ofKind) + "\n";
    for (std::size_t i = 0; i < ofKind.size() && i < kShort; ++i)
      text += "    " + On(ofKind[i].machines) + ": " +
              results.machineWarnings[ofKind[i].number].message + "\n";
  }
}

std::string MachineList(const FleetResults& results,
                        const std::vector<Number32>& machines,
                        std::size_t count) {
  std::string names;
  for (std::size_t i = 0; i < machines.size() && i < kNamed; ++i)
    names += (i > 0 ? ", " : "") + std::string(results.machines[machines[i]]);
  if (count > kNamed) names += " and " + std::to_string(count - kNamed) + " more";
  return names;
}

void AppendOutcomes(std::string& text, const FleetResults& results,
                    const FleetTallies& tallies) {
  std::vector<Tallied> outcomes;
  for (std::size_t o = 0; o < results.outcomes.size(); ++o)
    outcomes.push_back({static_cast<Number32>(o), tallies.outcomeMachines[o]});
  std::stable_sort(outcomes.begin(), outcomes.end(),
                   [](const Tallied& a, const Tallied& b) {
                     return a.machines > b.machines;
                   });
  text += "\nOutcomes: " + std::to_string(outcomes.size()) +
          " (machines on which the launcher does the same), most machines "
          "first\n";
  for (std::size_t i = 0; i < outcomes.size() && i < kListed; ++i) {
    const Number32 o = outcomes[i].number;
    const FleetOutcome& outcome = results.outcomes[o];
    text += "  outcome " + std::to_string(o + 1) + ": " +
            Machines(outcomes[i].machines) + " in " +
            Counted(tallies.outcomeConfigurations[o], "configuration",
                    "configurations") +
            ": " +
            MachineList(results, OutcomeMachines(results, tallies, o, kNamed),
                        outcomes[i].machines) +
            "\n";
    std::string matched, normal, silent;
    for (std::size_t e = 0; e < outcome.matched.size(); ++e) {
      if (!outcome.matched[e]) continue;
      const EntryReport& entry = results.entries[e];
      matched += (matched.empty() ? "" : ", ") + entry.section;
      for (const auto& [files, list] :
           {std::pair{&entry.normal, &normal}, {&entry.silent, &silent}})
        for (const SetupFile& file : files->files())
          *list += (list->empty() ? "" : "; ") + file.path + " " +
                   Parameters(file.parameters);
    }
    text += "    matched: " + (matched.empty() ? "none" : matched) + "\n";
    if (!normal.empty()) text += "    normal:  " + normal + "\n";
    if (!silent.empty()) text += "    silent:  " + silent + "\n";
    for (Number32 w : outcome.warnings)
      text += "    warning: [" + results.warnings[w].section + "] " +
              results.warnings[w].message + "\n";
    text += std::string("    warning box: ") + (outcome.showsBox ? "yes" : "no") +
            "\n";
  }
  if (outcomes.size() > kListed)
    text += "  " + More(outcomes, kListed, "outcomes") + "\n";
}

void AppendConfigurations(std::string& text, const FleetResults& results,
                          const FleetTallies& tallies) {
  text += "\nConfigurations: " + std::to_string(results.configurations.size()) +
          " (machines whose captures give the same devices)\n";
  for (std::size_t c = 0; c < results.configurations.size() && c < kListed; ++c) {
    const FleetConfiguration& configuration = results.configurations[c];
    const std::vector<Number32> machines(
        tallies.byConfiguration.begin() + tallies.starts[c],
        tallies.byConfiguration.begin() +
            std::min(tallies.starts[c + 1], tallies.starts[c] + kNamed));
    text += "  configuration " + std::to_string(c + 1) + ": " +
            Counted(configuration.devices, "device", "devices") +
            "; outcome " + std::to_string(configuration.outcome + 1) + "; " +
            Machines(configuration.machines) + ": " +
            MachineList(results, machines, configuration.machines) + "\n";
    for (Number32 note : configuration.notes)
      text += "    note: " + results.notes[note] + "\n";
  }
  if (results.configurations.size() > kListed) {
    std::size_t machines = 0;
    for (std::size_t c = kListed; c < results.configurations.size(); ++c)
      machines += results.configurations[c].machines;
    text += "  and " + std::to_string(results.configurations.size() - kListed) +
            " more configurations " + On(machines) + "\n";
  }
}

void AppendWarnings(std::string& text, const FleetResults& results,
                    const FleetTallies& tallies) {
  if (results.warnings.empty()) return;
  std::vector<Tallied> warnings;
  for (std::size_t w = 0; w < results.warnings.size(); ++w)
    warnings.push_back({static_cast<Number32>(w), tallies.warningMachines[w]});
  text += "\nWarnings: " + std::to_string(warnings.size()) + "\n";
  for (std::size_t i = 0; i < warnings.size() && i < kListed; ++i) {
    const Warning& warning = results.warnings[i];
    text += "  [" + warning.section + "]";
    if (!warning.key.empty()) text += " " + warning.key;
    text += ": " + warning.message;
    if (warnings[i].machines < tallies.machines)
      text += " (" + On(warnings[i].machines) + ")";
    text += "\n";
  }
  if (warnings.size() > kListed)
    text += "  " + More(warnings, kListed, "warnings") + "\n";
}

void AppendPackages(std::string& text, const FleetResults& results,
                    const FleetTallies& tallies) {
  text += "\nDriver packages: " + std::to_string(results.infFiles) +
          " .inf files\n";
  if (!results.localisedStrings.empty())
    text += "Strings sections read where a package has localised ones (no "
            "locale is known):\n";
  for (const LocalisedStrings& strings : results.localisedStrings)
    text += "  " + strings.inf + ": [" + strings.section + "]\n";
  text += "Devices no started entry's .inf serves: " +
          (tallies.unservedMachines == 0
               ? std::string("none")
               : "on " + std::to_string(tallies.unservedMachines) + " of " +
                     Machines(tallies.machines)) +
          "\n";
  for (Number32 v : tallies.vendorOrder) {
    const std::vector<Tallied>& devices = tallies.unservedByVendor[v];
    text += "  " + results.vendors[v] + ", " +
            Counted(devices.size(), "device", "devices") + ": ";
    for (std::size_t i = 0; i < devices.size() && i < kNamed; ++i)
      text += (i > 0 ? ", " : "") + results.devices[devices[i].number] + " " +
              On(devices[i].machines);
    if (devices.size() > kNamed) text += ", " + More(devices, kNamed, "devices");
    text += "\n";
  }
  const std::size_t count =
      results.discWarnings.size() + results.machineWarnings.size();
  if (count == 0) return;
  text += "\nPackage warnings: " + std::to_string(count) + "\n";
  for (const FleetWarning& warning : results.discWarnings)
    text += std::string("  ") + KindLabel(warning.kind) + " (" + Place(warning) +
            "): " + warning.message + "\n";
  std::vector<Tallied> warnings;
  for (std::size_t w = 0; w < results.machineWarnings.size(); ++w)
    warnings.push_back({static_cast<Number32>(w), tallies.machineWarningMachines[w]});
  std::stable_sort(warnings.begin(), warnings.end(),
                   [](const Tallied& a, const Tallied& b) {
                     return a.machines > b.machines;
                   });
  for (std::size_t i = 0; i < warnings.size() && i < kListed; ++i) {
    const FleetWarning& warning = results.machineWarnings[warnings[i].number];
    text += std::string("  ") + KindLabel(warning.kind) + " (" + Place(warning) +
            ", " + On(warnings[i].machines) + "): " + warning.message + "\n";
  }
  if (warnings.size() > kListed)
    text += "  " + More(warnings, kListed, "package warnings") + "\n";
}

}  // namespace

std::string FleetText(const FleetResults& results) {
  const FleetTallies tallies = Tally(results);
  std::string text = "Pomvarin.ini: " + results.configurationPath + "\n";
  AppendImage(text, results.image);
  const std::string machines =
      Machines(tallies.machines) + " in " +
      Counted(results.configurations.size(), "configuration", "configurations");
  text += "Machines:     " + machines + ", " +
          Counted(results.outcomes.size(), "outcome", "outcomes") + "\n";
  for (const SkippedCapture& file : results.skipped)
    text += "  skipped " + file.reason + "\n";
  text += "VendorCount:  " + std::to_string(results.vendorCount) + "\n";
  for (std::size_t e = 0; e < results.entries.size(); ++e)
    AppendEntry(text, results, tallies, e);
  AppendOutcomes(text, results, tallies);
  AppendConfigurations(text, results, tallies);
  AppendWarnings(text, results, tallies);
  AppendPackages(text, results, tallies);
  text += "\nSummary: " + machines + "; " +
          std::to_string(tallies.machinesWithBox) +
          " would show the warning box \"" + kWarningText + "\".\n";
  return text;
}

}  // namespace pomvarin::check
