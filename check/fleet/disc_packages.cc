#include "check/fleet/disc_packages.h"

#include "common/ascii.h"
#include "common/text.h"
#include "platform/platform.h"

namespace pomvarin::check {

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

DiscPackages::DiscPackages(const std::vector<EntryReport>& entries,
                           const InfTarget* target) {
  Text currentDirectory;
  std::vector<std::string> disc;
  if (platform::ReadCurrentDirectory(currentDirectory))
    ReadPackagesBelow(currentDirectory, target, &byKey_, &disc);
  std::vector<std::vector<std::string>> inEntry(entries.size());
  for (std::size_t e = 0; e < entries.size(); ++e)
    ReadPackagesBelow(entries[e].root, target, &byKey_, &inEntry[e]);
  std::map<std::string, std::size_t> index;
  for (auto& [key, package] : byKey_) {
    index[key] = packages_.size();
    packages_.push_back(&package);
  }
  entryPackages_.resize(entries.size());
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
  for (std::size_t p = 0; p < packages_.size(); ++p)
    for (const std::string& id : packages_[p]->inf.ids) byId_[id].push_back(p);
}

const std::vector<std::size_t>& DiscPackages::Serving(const Device& device) {
  key_.clear();
  for (const std::string& id : device.hardwareIds) key_ += id + '\n';
  auto [at, fresh] = servingByIds_.try_emplace(key_);
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

bool DiscPackages::EntryServes(std::size_t e,
                               const std::vector<std::size_t>& serving) const {
  for (std::size_t p : serving)
    if (packageEntries_[p].count(e)) return true;
  return false;
}

bool DiscPackages::HasParsedPackage(std::size_t e) const {
  for (std::size_t p : entryPackages_[e])
    if (packages_[p]->inf.parsed) return true;
  return false;
}

}  // namespace pomvarin::check
