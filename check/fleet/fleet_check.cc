#include "check/fleet/fleet_check.h"

#include <utility>

namespace pomvarin::check {

namespace {

std::size_t HashOf(const Warning& warning) {
  const std::hash<std::string> hash;
  return (hash(warning.section) * 31 + hash(warning.key)) * 31 +
         hash(warning.message);
}

std::size_t HashOf(const FleetWarning& warning) {
  const std::hash<std::string> hash;
  return ((hash(warning.section) * 31 + hash(warning.device)) * 31 +
          hash(warning.inf)) * 31 +
         hash(warning.message) + static_cast<std::size_t>(warning.kind);
}

bool Same(const Warning& a, const Warning& b) {
  return a.section == b.section && a.key == b.key && a.message == b.message;
}

bool Same(const FleetWarning& a, const FleetWarning& b) {
  return a.kind == b.kind && a.section == b.section && a.device == b.device &&
         a.inf == b.inf && a.message == b.message;
}

// The number of item in table, added when it is new.
template <typename Item>
Number32 Distinct(const Item& item, std::vector<Item>& table,
                  std::unordered_multimap<std::size_t, Number32>& byHash) {
  const std::size_t hash = HashOf(item);
  const auto [first, last] = byHash.equal_range(hash);
  for (auto seen = first; seen != last; ++seen)
    if (Same(table[seen->second], item)) return seen->second;
  const Number32 number = static_cast<Number32>(table.size());
  table.push_back(item);
  byHash.emplace(hash, number);
  return number;
}

}  // namespace

FleetCheck::FleetCheck(DiscCheck& disc, const InfTarget* target,
                       std::function<bool()> openDisc)
    : disc_(disc), target_(target), openDisc_(std::move(openDisc)) {}

bool FleetCheck::AddKnown(std::string_view machine, const Digest& bytes) {
  const auto found = byBytes_.find(bytes);
  if (found == byBytes_.end()) return false;
  Count(found->second, machine);
  return true;
}

bool FleetCheck::Add(std::string_view machine, const Digest* bytes,
                     const Devices& devices) {
  const auto [at, fresh] = byDevices_.try_emplace(
      DigestOf(devices), static_cast<Number32>(results_.configurations.size()));
  if (fresh) {
    if (!opened_ && !(opened_ = openDisc_())) {
      byDevices_.erase(at);
      return false;
    }
    CheckConfiguration(devices);
  }
  if (bytes) byBytes_.emplace(*bytes, at->second);
  Count(at->second, machine);
  return true;
}

void FleetCheck::Count(Number32 configuration, std::string_view machine) {
  ++results_.configurations[configuration].machines;
  MachineNames& machines = results_.machines;
  machines.names += machine;
  machines.ends.push_back(static_cast<Number32>(machines.names.size()));
  machines.configurations.push_back(configuration);
}

void FleetCheck::CheckConfiguration(const Devices& devices) {
  const std::size_t number = results_.configurations.size() + 1;
  disc_.Check(devices, DeviceOrigin::kCapture, &report_);
  if (number == 1) {
    results_.configurationPath = report_.configurationPath;
    results_.vendorCountText = report_.vendorCountText;
    results_.vendorCount = report_.vendorCount;
    results_.entries = report_.entries;
    analysis_.emplace(results_.entries, target_);
    FleetReport packages;
    analysis_->DescribePackages(&packages);
    results_.infFiles = packages.infFiles;
    results_.localisedStrings = std::move(packages.localisedStrings);
    results_.discWarnings = std::move(packages.warnings);
  }
  FleetConfiguration configuration;
  configuration.devices = static_cast<Number32>(devices.size());
  for (const Device& device : devices)
    if (!device.note.empty())
      configuration.notes.push_back(results_.notes.Add(device.note));
  for (const EntryReport& entry : report_.entries)
    if (entry.matched)
      configuration.matchedDevices.push_back(results_.devices.Add(entry.device));
  for (const Warning& warning : report_.warnings)
    configuration.warnings.push_back(WarningNumber(warning));
  configuration.outcome = OutcomeOf(report_);

  std::vector<FleetWarning> warnings;
  Coverage coverage;
  analysis_->Weigh(number, devices, report_, &warnings, &coverage);
  for (FleetWarning& warning : warnings) {
    warning.configuration = 0;
    configuration.packageWarnings.push_back(MachineWarningNumber(warning));
  }
  for (const auto& [vendor, ids] : coverage.unserved) {
    const Number32 vendorNumber = results_.vendors.Add(vendor);
    for (const std::string& id : ids) {
      const Number32 device = results_.devices.Add(id);
      if (results_.vendorOfDevice.size() <= device)
        results_.vendorOfDevice.resize(device + 1);
      results_.vendorOfDevice[device] = vendorNumber;
      configuration.unserved.push_back(device);
    }
  }
  for (std::vector<Number32>* list :
       {&configuration.notes, &configuration.matchedDevices,
        &configuration.warnings, &configuration.packageWarnings,
        &configuration.unserved})
    list->shrink_to_fit();
  results_.configurations.push_back(std::move(configuration));
}

// An outcome is known by which entries match and the box; the setups that
// start together are weighed once for each outcome.
Number32 FleetCheck::OutcomeOf(const Report& report) {
  std::string key;
  for (const EntryReport& entry : report.entries) key += entry.matched ? '+' : '-';
  key += report.showsBox ? '!' : '.';
  const auto [at, fresh] = outcomes_.try_emplace(
      key, static_cast<Number32>(results_.outcomes.size()));
  if (!fresh) return at->second;
  FleetOutcome outcome;
  for (const EntryReport& entry : report.entries)
    outcome.matched.push_back(entry.matched);
  outcome.showsBox = report.showsBox;
  std::vector<Warning> together;
  kindLint_.LintStartsTogether(
      report, "outcome " + std::to_string(results_.outcomes.size() + 1),
      &together);
  for (const Warning& warning : together)
    outcome.warnings.push_back(WarningNumber(warning));
  results_.outcomes.push_back(std::move(outcome));
  return at->second;
}

Number32 FleetCheck::WarningNumber(const Warning& warning) {
  return Distinct(warning, results_.warnings, warnings_);
}

Number32 FleetCheck::MachineWarningNumber(const FleetWarning& warning) {
  return Distinct(warning, results_.machineWarnings, machineWarnings_);
}

FleetResults FleetCheck::Finish(std::vector<SkippedCapture> skipped) {
  if (analysis_) analysis_->CheckVenIds(&results_.discWarnings);
  results_.skipped = std::move(skipped);
  return std::move(results_);
}

}  // namespace pomvarin::check
