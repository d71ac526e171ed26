#include "check/fleet/fleet_analysis.h"

#include <algorithm>
#include <cstring>
#include <set>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "common/ascii.h"
#include "devices/device_matcher.h"
#include "launcher/launcher.h"
#include "platform/capture/captured_devices.h"
#include "platform/platform.h"

namespace pomvarin::check {

namespace {

// The value of a field ("VEN_") of an ID's "&"-separated fields, or "".
std::string FieldOf(const std::string& id, const std::string& name) {
  const std::size_t slash = id.find('\\');
  std::size_t at = slash == std::string::npos ? id.size() : slash + 1;
  while (at < id.size()) {
    std::size_t end = id.find('&', at);
    if (end == std::string::npos) end = id.size();
    if (id.compare(at, name.size(), name) == 0)
      return id.substr(at + name.size(), end - at - name.size());
    at = end + 1;
  }
  return "";
}

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

// Hardware IDs in the configurations' devices, told by what they hold.
struct HashOfIds {
  std::size_t operator()(const std::vector<std::string>* ids) const {
    std::size_t hash = ids->size();
    for (const std::string& id : *ids)
      hash = hash * 1000003 ^ std::hash<std::string>()(id);
    return hash;
  }
};

struct SameIds {
  bool operator()(const std::vector<std::string>* a,
                  const std::vector<std::string>* b) const {
    return *a == *b;
  }
};

class FleetChecker {
 public:
  FleetChecker(const std::vector<Configuration>& configurations,
               const InfTarget* target)
      : configurations_(configurations), target_(target) {}

  FleetReport Run() {
    if (configurations_.empty()) return report_;
    ReadPackages();
    report_.infFiles = packages_.size();
    for (std::size_t p = 0; p < packages_.size(); ++p) {
      const Package& package = *packages_[p];
      for (const InfProblem& problem : package.inf.problems)
        Warn(FleetWarningKind::kBrokenInf, "", 0, "", package.path,
             (problem.line > 0 ? "line " + std::to_string(problem.line) + ": "
                               : std::string()) +
                 problem.message +
                 (package.inf.parsed ? "" : "; the file is not read further "
                                            "and serves no device"));
      const std::string& strings = package.inf.stringsSection;
      if (!strings.empty())
        report_.localisedStrings.push_back(
            {package.path, "Strings" + UpperAscii(strings.substr(7))});
      for (const std::string& id : package.inf.ids) byId_[id].push_back(p);
    }
    // The VenID warnings come before the configurations', but each entry's
    // needs the devices of every configuration its packages serve.
    const std::size_t configurationsAt = report_.warnings.size();
    servedFirstIds_.resize(Entries().size());
    for (std::size_t c = 0; c < configurations_.size(); ++c)
      CheckConfiguration(c);
    const std::size_t venIdsAt = report_.warnings.size();
    for (std::size_t e = 0; e < Entries().size(); ++e) CheckVenId(e);
    std::rotate(report_.warnings.begin() + configurationsAt,
                report_.warnings.begin() + venIdsAt, report_.warnings.end());
    return std::move(report_);
  }

 private:
  const std::vector<EntryReport>& Entries() const {
    return configurations_[0].report.entries;
  }

  void ReadPackages() {
    Text currentDirectory;
    std::vector<std::string> disc;
    if (platform::ReadCurrentDirectory(currentDirectory))
      ReadPackagesBelow(currentDirectory, target_, &byKey_, &disc);
    std::vector<std::vector<std::string>> inEntry(Entries().size());
    for (std::size_t e = 0; e < Entries().size(); ++e)
      ReadPackagesBelow(Entries()[e].root, target_, &byKey_, &inEntry[e]);
    std::map<std::string, std::size_t> index;
    for (auto& [key, package] : byKey_) {
      index[key] = packages_.size();
      packages_.push_back(&package);
    }
    entryPackages_.resize(Entries().size());
    packageEntries_.resize(packages_.size());
    for (std::size_t e = 0; e < inEntry.size(); ++e) {
      for (const std::string& path : inEntry[e]) {
        const std::size_t p = index[PackageKey(path)];
        if (!packageEntries_[p].count(e)) {
          entryPackages_[e].push_back(p);
          packageEntries_[p].insert(e);
        }
      }
    }
  }

  // The packages on the disc that serve the device, in their order; worked
  // out once for each different device, as machines share most devices.
  const std::vector<std::size_t>& Serving(const Device& device) {
    auto [at, fresh] = servingByIds_.try_emplace(&device.hardwareIds);
    if (!fresh) return at->second;
    std::set<std::size_t> serving;
    for (const std::string& id : MatchingIds(device)) {
      const auto found = byId_.find(id);
      if (found != byId_.end())
        serving.insert(found->second.begin(), found->second.end());
    }
    at->second.assign(serving.begin(), serving.end());
    return at->second;
  }

  bool EntryServes(std::size_t e,
                   const std::vector<std::size_t>& serving) const {
    for (std::size_t p : serving)
      if (packageEntries_[p].count(e)) return true;
    return false;
  }

  bool HasParsedPackage(std::size_t e) const {
    for (std::size_t p : entryPackages_[e])
      if (packages_[p]->inf.parsed) return true;
    return false;
  }

  // Whether the entry's VenID, tested as the launcher tests it, matches a
  // device its own packages list or a captured device they serve.
  void CheckVenId(std::size_t e) {
    const EntryReport& entry = Entries()[e];
    if (!entry.sectionPresent || !HasParsedPackage(e)) return;
    Devices listed;
    for (std::size_t p : entryPackages_[e])
      for (const std::string& id : packages_[p]->inf.ids)
        listed.push_back(Device{{id}, {}});
    for (const std::string_view id : servedFirstIds_[e])
      listed.push_back(Device{{std::string(id)}, {}});
    bool hit;
    {
      const platform::ScopedCapture capture(listed);
      const DeviceMatcher matcher;
      hit = AnswersVendorQuestion(matcher, entry.upperId.c_str()) ||
            AnswersVendorQuestion(matcher, entry.lowerId.c_str());
    }
    if (hit) return;
    std::vector<std::string> infs;
    for (std::size_t p : entryPackages_[e]) infs.push_back(packages_[p]->path);
    Warn(FleetWarningKind::kVenIdMatchesNoPackage, entry.section, 0, "",
         Join(infs),
         "VenID " + entry.upperId + " (or " + entry.lowerId +
             ") matches no device that the .inf files in its folder list, "
             "nor any captured device they serve: a wrong VenID, or the "
             "wrong folder");
  }

  // Warnings name a configuration by its number from 1.
  void CheckConfiguration(std::size_t c) {
    const Configuration& configuration = configurations_[c];
    Coverage coverage;
    const std::vector<EntryReport>& entries = configuration.report.entries;
    std::vector<const std::vector<std::size_t>*> serving;
    for (const Device& device : configuration.devices) {
      serving.push_back(&Serving(device));
      if (device.hardwareIds.empty()) continue;
      for (std::size_t p : *serving.back())
        for (std::size_t e : packageEntries_[p])
          servedFirstIds_[e].insert(device.hardwareIds[0]);
    }
    for (std::size_t e = 0; e < entries.size() && e < Entries().size(); ++e) {
      const EntryReport& entry = entries[e];
      if (!entry.matched || !HasParsedPackage(e)) continue;
      for (std::size_t d = 0; d < configuration.devices.size(); ++d) {
        const Device& device = configuration.devices[d];
        if (device.hardwareIds.empty() || device.hardwareIds[0] != entry.device)
          continue;
        if (!EntryServes(e, *serving[d]))
          Warn(FleetWarningKind::kFalseStart, entry.section, c + 1,
               entry.device, "",
               "starts for " + entry.device + ", which no .inf in its "
               "folder serves (a false start)");
        break;
      }
    }
    for (std::size_t d = 0; d < configuration.devices.size(); ++d) {
      const Device& device = configuration.devices[d];
      bool served = false;
      for (std::size_t e = 0; e < entries.size() && e < Entries().size(); ++e)
        served = served || (entries[e].matched && EntryServes(e, *serving[d]));
      if (served) continue;
      coverage.unserved[VendorOf(device)].push_back(FirstId(device));
      if (serving[d]->empty()) continue;
      std::vector<std::string> infs, holders;
      for (std::size_t p : *serving[d]) {
        infs.push_back(packages_[p]->path);
        for (std::size_t e : packageEntries_[p])
          holders.push_back(Entries()[e].section);
      }
      Warn(FleetWarningKind::kMissedDriver, Join(holders), c + 1,
           FirstId(device), Join(infs),
           FirstId(device) + " is served by " + Join(infs) +
               ", but no entry that starts on this machine holds it (a "
               "missed driver)");
    }
    report_.configurations.push_back(coverage);
  }

  void Warn(FleetWarningKind kind, const std::string& section,
            std::size_t configuration, const std::string& device,
            const std::string& inf, const std::string& message) {
    report_.warnings.push_back(
        FleetWarning{kind, section, configuration, device, inf, message});
  }

  const std::vector<Configuration>& configurations_;
  const InfTarget* target_;
  FleetReport report_;
  std::map<std::string, Package> byKey_;
  std::vector<Package*> packages_;
  std::vector<std::vector<std::size_t>> entryPackages_;
  std::vector<std::set<std::size_t>> packageEntries_;
  std::unordered_map<std::string, std::vector<std::size_t>> byId_;
  // By the hardware IDs of the first device met that has them.
  std::unordered_map<const std::vector<std::string>*, std::vector<std::size_t>,
                     HashOfIds, SameIds>
      servingByIds_;
  // The first hardware IDs of the captured devices each entry's packages
  // serve, without repeats: views into configurations_.
  std::vector<std::unordered_set<std::string_view>> servedFirstIds_;
};

}  // namespace

std::vector<std::string> MatchingIds(const Device& device) {
  std::vector<std::string> ids;
  for (const std::string& id : device.hardwareIds) ids.push_back(UpperAscii(id));
  if (ids.empty()) return ids;
  const std::string& first = ids[0];
  const std::string vendor = FieldOf(first, "VEN_");
  if (vendor.empty() || first.compare(0, 4, "PCI\\") != 0) return ids;
  const std::string deviceId = FieldOf(first, "DEV_");
  const std::string revision = FieldOf(first, "REV_");
  std::string classCode;
  for (const std::string& id : ids) {
    const std::string code = FieldOf(id, "CC_");
    if (code.size() > classCode.size()) classCode = code;
  }
  const std::string ven = "PCI\\VEN_" + vendor;
  if (!deviceId.empty()) {
    if (!revision.empty())
      ids.push_back(ven + "&DEV_" + deviceId + "&REV_" + revision);
    ids.push_back(ven + "&DEV_" + deviceId);
  }
  const std::vector<std::string> classes =
      classCode.size() == 6
          ? std::vector<std::string>{classCode, classCode.substr(0, 4)}
          : classCode.empty() ? std::vector<std::string>{}
                              : std::vector<std::string>{classCode};
  for (const std::string& code : classes) ids.push_back(ven + "&CC_" + code);
  ids.push_back(ven);
  for (const std::string& code : classes) ids.push_back("PCI\\CC_" + code);
  return ids;
}

FleetReport CheckFleet(const std::vector<Configuration>& configurations,
                       const InfTarget* target) {
  return FleetChecker(configurations, target).Run();
}

}  // namespace pomvarin::check
