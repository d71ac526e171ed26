#include "check/fleet/fleet_analysis.h"

#include <string_view>
#include <utility>

#include "common/ascii.h"
#include "devices/device_matcher.h"
#include "launcher/launcher.h"
#include "platform/capture/captured_devices.h"

namespace pomvarin::check {

namespace {

std::string VendorOf(const Device& device) {
  if (device.hardwareIds.empty()) return "other";
  const std::string vendor = FieldOf(UpperAscii(device.hardwareIds[0]), "VEN_");
  return vendor.empty() ? "other" : "VEN_" + vendor;
}

std::string FirstId(const Device& device) {
  return device.hardwareIds.empty() ? "-" : device.hardwareIds[0];
}

std::string Join(const std::vector<std::string>& items) {
  std::string text;
  for (const std::string& item : items) text += (text.empty() ? "" : ", ") + item;
  return text;
}

FleetWarning Warned(FleetWarningKind kind, const std::string& section,
                    std::size_t configuration, const std::string& device,
                    const std::string& inf, const std::string& message) {
  return FleetWarning{kind, section, configuration, device, inf, message};
}

}  // namespace

FleetAnalysis::FleetAnalysis(const std::vector<EntryReport>& entries,
                             const InfTarget* target)
    : entries_(entries),
      packages_(entries, target),
      servedFirstIds_(entries.size()) {}

void FleetAnalysis::DescribePackages(FleetReport* report) const {
  report->infFiles = packages_.size();
  for (std::size_t p = 0; p < packages_.size(); ++p) {
    const Package& package = packages_[p];
    for (const InfProblem& problem : package.inf.problems)
      report->warnings.push_back(Warned(
          FleetWarningKind::kBrokenInf, "", 0, "", package.path,
          (problem.line > 0 ? "line " + std::to_string(problem.line) + ": "
                            : std::string()) +
              problem.message +
              (package.inf.parsed ? "" : "; the file is not read further "
                                         "and serves no device")));
    const std::string& strings = package.inf.stringsSection;
    if (!strings.empty())
      report->localisedStrings.push_back(
          {package.path, "Strings" + UpperAscii(strings.substr(7))});
  }
}

void FleetAnalysis::CheckVenIds(std::vector<FleetWarning>* warnings) const {
  for (std::size_t e = 0; e < entries_.size(); ++e) {
    const EntryReport& entry = entries_[e];
    if (!entry.sectionPresent || !packages_.HasParsedPackage(e)) continue;
    Devices listed;
    for (std::size_t p : packages_.OfEntry(e))
      for (const std::string& id : packages_[p].inf.ids)
        listed.push_back(Device{{id}, {}});
    for (const std::string& id : servedFirstIds_[e])
      listed.push_back(Device{{id}, {}});
    bool hit;
    {
      const platform::ScopedCapture capture(listed);
      const DeviceMatcher matcher;
      hit = AnswersVendorQuestion(matcher, entry.upperId.c_str()) ||
            AnswersVendorQuestion(matcher, entry.lowerId.c_str());
    }
    if (hit) continue;
    std::vector<std::string> infs;
    for (std::size_t p : packages_.OfEntry(e)) infs.push_back(packages_[p].path);
    warnings->push_back(Warned(
        FleetWarningKind::kVenIdMatchesNoPackage, entry.section, 0, "",
        Join(infs),
        "VenID " + entry.upperId + " (or " + entry.lowerId +
            ") matches no device that the .inf files in its folder list, "
            "nor any captured device they serve: a wrong VenID, or the "
            "wrong folder"));
  }
}

void FleetAnalysis::Weigh(std::size_t c, const Devices& devices,
                          const Report& report,
                          std::vector<FleetWarning>* warnings,
                          Coverage* coverage) {
  const std::vector<EntryReport>& entries = report.entries;
  const std::size_t entryCount = std::min(entries.size(), entries_.size());
  std::vector<const std::vector<std::size_t>*> serving;
  for (const Device& device : devices) {
    serving.push_back(&packages_.Serving(device));
    if (device.hardwareIds.empty()) continue;
    for (std::size_t p : *serving.back())
      for (std::size_t e : packages_.EntriesOf(p))
        servedFirstIds_[e].insert(device.hardwareIds[0]);
  }
  for (std::size_t e = 0; e < entryCount; ++e) {
    const EntryReport& entry = entries[e];
    if (!entry.matched || !packages_.HasParsedPackage(e)) continue;
    for (std::size_t d = 0; d < devices.size(); ++d) {
      const Device& device = devices[d];
      if (device.hardwareIds.empty() || device.hardwareIds[0] != entry.device)
        continue;
      if (!packages_.EntryServes(e, *serving[d]))
        warnings->push_back(Warned(
            FleetWarningKind::kFalseStart, entry.section, c, entry.device, "",
            "starts for " + entry.device + ", which no .inf in its "
            "folder serves (a false start)"));
      break;
    }
  }
  for (std::size_t d = 0; d < devices.size(); ++d) {
    const Device& device = devices[d];
    bool served = false;
    for (std::size_t e = 0; e < entryCount && !served; ++e)
      served = entries[e].matched && packages_.EntryServes(e, *serving[d]);
    if (served) continue;
    coverage->unserved[VendorOf(device)].push_back(FirstId(device));
    if (serving[d]->empty()) continue;
    std::vector<std::string> infs, holders;
    for (std::size_t p : *serving[d]) {
      infs.push_back(packages_[p].path);
      for (std::size_t e : packages_.EntriesOf(p))
        holders.push_back(entries_[e].section);
    }
    warnings->push_back(Warned(
        FleetWarningKind::kMissedDriver, Join(holders), c, FirstId(device),
        Join(infs),
        FirstId(device) + " is served by " + Join(infs) +
            ", but no entry that starts on this machine holds it (a "
            "missed driver)"));
  }
}

FleetReport CheckFleet(const std::vector<Configuration>& configurations,
                       const InfTarget* target) {
  FleetReport report;
  if (configurations.empty()) return report;
  FleetAnalysis analysis(configurations[0].report.entries, target);
  analysis.DescribePackages(&report);
  std::vector<FleetWarning> ofConfigurations;
  for (std::size_t c = 0; c < configurations.size(); ++c) {
    Coverage coverage;
    analysis.Weigh(c + 1, configurations[c].devices, configurations[c].report,
                   &ofConfigurations, &coverage);
    report.configurations.push_back(std::move(coverage));
  }
  analysis.CheckVenIds(&report.warnings);
  for (FleetWarning& warning : ofConfigurations)
    report.warnings.push_back(std::move(warning));
  return report;
}

}  // namespace pomvarin::check
