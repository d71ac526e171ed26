// The driver packages of a disc as the fleet analysis weighs them: which
// entry's folder holds each, and which serve a device.
#pragma once

#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "check/fleet/devices.h"
#include "check/packages/inf_walk.h"
#include "check/report/results.h"

namespace pomvarin::check {

// The value of a field ("VEN_") of an ID's "&"-separated fields, or "".
std::string FieldOf(const std::string& id, const std::string& name);

// The IDs Windows matches a device's drivers by: its hardware IDs, then the
// compatible IDs made from the numbers of its first hardware ID (and the
// class code of any hardware ID that gives one), in upper case. A device
// without VEN_ in its first hardware ID has no compatible IDs.
std::vector<std::string> MatchingIds(const Device& device);

class DiscPackages {
 public:
  // Reads the packages below the current directory and the entries' roots.
  DiscPackages(const std::vector<EntryReport>& entries,
               const InfTarget* target);
  DiscPackages(const DiscPackages&) = delete;
  DiscPackages& operator=(const DiscPackages&) = delete;

  std::size_t size() const { return packages_.size(); }
  const Package& operator[](std::size_t p) const { return *packages_[p]; }
  // The packages in the entry's folder, and the entries holding a package.
  const std::vector<std::size_t>& OfEntry(std::size_t e) const {
    return entryPackages_[e];
  }
  const std::set<std::size_t>& EntriesOf(std::size_t p) const {
    return packageEntries_[p];
  }

  // The packages that serve the device, in their order; worked out once
  // for each different device, as machines share most devices.
  const std::vector<std::size_t>& Serving(const Device& device);
  bool EntryServes(std::size_t e, const std::vector<std::size_t>& serving) const;
  bool HasParsedPackage(std::size_t e) const;

 private:
  std::map<std::string, Package> byKey_;
  std::vector<Package*> packages_;
  std::vector<std::vector<std::size_t>> entryPackages_;
  std::vector<std::set<std::size_t>> packageEntries_;
  std::unordered_map<std::string, std::vector<std::size_t>> byId_;
  // By the hardware IDs, joined by '\n'.
  std::unordered_map<std::string, std::vector<std::size_t>> servingByIds_;
  std::string key_;  // the key of the device asked for last
};

}  // namespace pomvarin::check
