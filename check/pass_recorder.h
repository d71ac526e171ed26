// The launcher's own vendor pass, recorded as it goes: each entry as read,
// its case forms, the device that answered first and what its search finds
// in either mode. Nothing is traced and nothing starts.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "check/check.h"
#include "launcher/launcher.h"

namespace pomvarin::check {

// What the setup search finds below a root for a LaunchSpec, and the kind
// of each file found, searched and read once a run: both depend on the
// disc alone, so every configuration of machines that matches the entry
// reads the same.
class SetupSearches {
 public:
  const std::vector<SetupFile>& Find(const char* root, const char* spec);

 private:
  std::map<std::pair<std::string, std::string>, std::vector<SetupFile>>
      found_;
  std::map<std::string, SetupKind> kinds_;  // by path
};

// What would start below root in either mode.
void SearchBothModes(const VendorEntry& values, const char* root,
                     SetupSearches& searches, EntryReport& entry);

class PassRecorder : public VendorPassObserver {
 public:
  // present: the numbers of the VendorInfo sections the file holds.
  PassRecorder(const std::set<std::int32_t>& present, SetupSearches& searches,
               std::vector<EntryReport>* entries,
               std::vector<VendorEntry>* values)
      : present_(present),
        searches_(searches),
        entries_(entries),
        values_(values) {}

  void OnEntry(std::int32_t n, const VendorEntry& values) override;
  void OnCaseForm(const char* venId) override;
  void OnDeviceAnswered(platform::DeviceList list,
                        const platform::DeviceRecord& device) override;
  void OnMatched(const VendorEntry& values, const char* root) override;
  // A missing section reads like every missing one up to the next present.
  std::int32_t LastEntryAlike(std::int32_t n, std::int32_t count) override;

 private:
  EntryReport& Current() { return entries_->back(); }

  const std::set<std::int32_t>& present_;
  SetupSearches& searches_;
  std::vector<EntryReport>* entries_;
  std::vector<VendorEntry>* values_;
  int caseForms_ = 0;
};

}  // namespace pomvarin::check
