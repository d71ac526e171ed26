// The launcher's own pass, recorded instead of acted on, so the check is exact.
#include "check/pass_recorder.h"

#include <algorithm>

#include "check/fleet/devices.h"
#include "setup/search_and_launch.h"

namespace pomvarin::check {

namespace {

class CollectSetupFiles : public SetupFileFound {
 public:
  explicit CollectSetupFiles(std::vector<SetupFile>* files) : files_(files) {}
  void OnSetupFile(const char* path, const LaunchSpecParts& parts) override {
    files_->push_back(SetupFile{path, parts.parameters});
  }

 private:
  std::vector<SetupFile>* files_;
};

}  // namespace

const SetupFiles& SetupSearches::Find(const char* root, const char* spec) {
  auto [at, fresh] = found_.try_emplace({root, spec});
  if (fresh) {
    std::vector<SetupFile> found;
    CollectSetupFiles files(&found);
    SearchSetup(root, spec, files);
    for (SetupFile& file : found) {
      auto [kind, unread] = kinds_.try_emplace(file.path);
      if (unread) kind->second = RecogniseSetupKind(file.path.c_str());
      file.kind = kind->second;
    }
    at->second = SetupFiles(std::move(found));
  }
  return at->second;
}

void SearchBothModes(const VendorEntry& values, const char* root,
                     SetupSearches& searches, EntryReport& entry) {
  entry.root = root;
  entry.normal = searches.Find(root, LaunchSpecFor(values, false));
  entry.silent = searches.Find(root, LaunchSpecFor(values, true));
}

void PassRecorder::OnEntry(std::int32_t n, const VendorEntry& values) {
  EntryReport entry;
  entry.number = n;
  entry.lastNumber = n;
  Text section;
  VendorSectionName(n, section);
  entry.section = section;
  entry.sectionPresent = present_.count(n) > 0;
  entry.venName = values.venName;
  entries_->push_back(entry);
  values_->push_back(values);
  caseForms_ = 0;
}

void PassRecorder::OnCaseForm(const char* venId) {
  (caseForms_++ == 0 ? Current().upperId : Current().lowerId) = venId;
}

void PassRecorder::OnDeviceAnswered(platform::DeviceList list,
                                    const platform::DeviceRecord& device) {
  if (Current().device.empty()) Current().device = FirstHardwareId(list, device);
}

void PassRecorder::OnMatched(const VendorEntry& values, const char* root) {
  Current().matched = true;
  SearchBothModes(values, root, searches_, Current());
}

std::int32_t PassRecorder::LastEntryAlike(std::int32_t n, std::int32_t count) {
  if (!present_.count(n)) {
    const auto next = present_.upper_bound(n);
    Current().lastNumber =
        next == present_.end() ? count : std::min(*next - 1, count);
  }
  return Current().lastNumber;
}

}  // namespace pomvarin::check
