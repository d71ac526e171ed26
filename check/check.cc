#include "check/check.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <optional>
#include <set>

#include "common/text.h"
#include "launcher/configuration.h"
#include "devices/device_matcher.h"
#include "launcher/launcher.h"
#include "platform/profile_sections.h"
#include "platform/platform.h"
#include "setup/folder_walk.h"
#include "setup/search_and_launch.h"

namespace pomvarin::check {

namespace {

// The digits after these field names are no vendor's.
const char* const kOtherFields[] = {"DEV_", "SUBSYS_", "REV_"};

// Section and key names compare without ASCII case, as the reader does.
bool SameName(const std::string& a, const std::string& b) {
  return EqualIgnoringAsciiCase(a.c_str(), b.data(), b.size());
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

// The number n of a section the launcher reads as "VendorInfo" + n, or 0.
std::int32_t VendorSectionNumber(const std::string& name) {
  const std::size_t prefix = sizeof kVendorSectionPrefix - 1;
  if (name.size() <= prefix || !SameName(name.substr(0, prefix), kVendorSectionPrefix))
    return 0;
  const std::string digits = name.substr(prefix);
  if (digits[0] == '0' || digits.size() > 10) return 0;
  std::int64_t n = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return 0;
    n = n * 10 + (c - '0');
  }
  return n <= INT32_MAX ? static_cast<std::int32_t>(n) : 0;
}

// The first section of the name: the only one the reader looks into.
const platform::ProfileSection* FindSection(
    const std::vector<platform::ProfileSection>& sections,
    const std::string& name) {
  for (const platform::ProfileSection& section : sections) {
    if (SameName(section.name, name)) return &section;
  }
  return nullptr;
}

bool HasKey(const platform::ProfileSection* section, const std::string& key) {
  if (!section) return false;
  for (const std::string& name : section->keys) {
    if (SameName(name, key)) return true;
  }
  return false;
}

class CollectSetupFiles : public SetupFileFound {
 public:
  explicit CollectSetupFiles(std::vector<SetupFile>* files) : files_(files) {}
  void OnSetupFile(const char* path, const LaunchSpecParts& parts) override {
    files_->push_back(SetupFile{path, parts.parameters});
  }

 private:
  std::vector<SetupFile>* files_;
};

// What would start below root in either mode.
void SearchBothModes(const VendorEntry& values, const char* root,
                     EntryReport& entry) {
  entry.root = root;
  CollectSetupFiles normal(&entry.normal);
  SearchSetup(root, LaunchSpecFor(values, false), normal);
  CollectSetupFiles silent(&entry.silent);
  SearchSetup(root, LaunchSpecFor(values, true), silent);
}

// Whether the launcher can list root at all.
bool Searchable(const std::string& root) {
  Text pattern;
  return ListingPattern(root.c_str(), pattern);
}

// Records the launcher's own pass as it goes: each entry as read, its case
// forms, the device that answered first and what its search finds. Nothing
// is traced and nothing starts.
class PassRecorder : public VendorPassObserver {
 public:
  PassRecorder(const std::set<std::int32_t>& present,
               std::vector<EntryReport>* entries,
               std::vector<VendorEntry>* values)
      : present_(present), entries_(entries), values_(values) {}

  void OnEntry(std::int32_t n, const VendorEntry& values) override {
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

  void OnCaseForm(const char* venId) override {
    (caseForms_++ == 0 ? Current().upperId : Current().lowerId) = venId;
  }

  void OnDeviceAnswered(platform::DeviceList list,
                        const platform::DeviceRecord& device) override {
    if (Current().device.empty()) Current().device = FirstHardwareId(list, device);
  }

  void OnMatched(const VendorEntry& values, const char* root) override {
    Current().matched = true;
    SearchBothModes(values, root, Current());
  }

  // A missing section reads like every missing one up to the next present.
  std::int32_t LastEntryAlike(std::int32_t n, std::int32_t count) override {
    if (!present_.count(n)) {
      const auto next = present_.upper_bound(n);
      Current().lastNumber = next == present_.end() ? count
                                                    : std::min(*next - 1, count);
    }
    return Current().lastNumber;
  }

 private:
  EntryReport& Current() { return entries_->back(); }

  const std::set<std::int32_t>& present_;
  std::vector<EntryReport>* entries_;
  std::vector<VendorEntry>* values_;
  int caseForms_ = 0;
};

class Checker {
 public:
  Checker(const Devices& devices, const char* currentDirectory,
          const char* configurationPath, Report* report)
      : devices_(devices),
        currentDirectory_(currentDirectory),
        configurationPath_(configurationPath),
        report_(report) {}

  void Run() {
    sections_ = platform::ListProfileSections(configurationPath_);
    for (const platform::ProfileSection& section : sections_) {
      const std::int32_t n = VendorSectionNumber(section.name);
      if (n > 0) present_.insert(n);
    }
    ReadCount();
    CheckSections();
    CheckEntries();
    SortWarningsByFileOrder();
  }

 private:
  void Warn(const std::string& section, const std::string& key,
            const std::string& message) {
    report_->warnings.push_back(Warning{section, key, message});
  }

  // Warnings of one section together, in the order the sections stand in
  // the file; those of the count first, whether its section is there or not.
  void SortWarningsByFileOrder() {
    const auto position = [this](const Warning& warning) -> std::ptrdiff_t {
      if (SameName(warning.section, kCountSection)) return -1;
      const platform::ProfileSection* section =
          FindSection(sections_, warning.section);
      return section ? section - sections_.data()
                     : static_cast<std::ptrdiff_t>(sections_.size());
    };
    std::stable_sort(report_->warnings.begin(), report_->warnings.end(),
                     [&](const Warning& a, const Warning& b) {
                       return position(a) < position(b);
                     });
  }

  void ReadCount() {
    Text countText;
    platform::ReadProfileString(kCountSection, kCountKey, kProfileFallback,
                                countText, configurationPath_);
    report_->vendorCountText = countText;
    report_->vendorCount = ReadVendorCount(configurationPath_);
    const std::int32_t count = report_->vendorCount;
    if (!HasKey(FindSection(sections_, kCountSection), kCountKey)) {
      Warn(kCountSection, kCountKey,
           "is missing: no vendor entry is handled and the warning box "
           "always shows");
      return;
    }
    if (report_->vendorCountText != std::to_string(count))
      Warn(kCountSection, kCountKey,
           Quoted(report_->vendorCountText) + " reads as " +
               std::to_string(count));
    if (count < 1) {
      Warn(kCountSection, kCountKey,
           "is " + std::to_string(count) +
               ": no vendor entry is handled and the warning box always "
               "shows");
      return;
    }
    const auto inRange = std::distance(present_.begin(),
                                       present_.upper_bound(count));
    const std::int64_t missing = static_cast<std::int64_t>(count) - inRange;
    if (missing > 0) {
      std::int32_t firstMissing = 1;
      while (present_.count(firstMissing)) ++firstMissing;
      Warn(kCountSection, kCountKey,
           "is " + std::to_string(count) + " but " + std::to_string(missing) +
               " of VendorInfo1 to VendorInfo" + std::to_string(count) +
               " are missing (the first is " + kVendorSectionPrefix +
               std::to_string(firstMissing) +
               "): every value of theirs reads as \"Unknow\"");
    }
  }

  void CheckKeys(const platform::ProfileSection& section,
                 const char* const* known, std::size_t knownCount) {
    std::vector<std::string> seen;
    for (const std::string& key : section.keys) {
      bool isKnown = false;
      for (std::size_t i = 0; i < knownCount; ++i) {
        if (SameName(key, known[i])) isKnown = true;
      }
      if (!isKnown) Warn(section.name, key, "is never read (misspelt?)");
      bool repeated = false;
      for (const std::string& earlier : seen) {
        if (SameName(key, earlier)) repeated = true;
      }
      if (repeated)
        Warn(section.name, key, "appears again: only the first one counts");
      seen.push_back(key);
    }
  }

  void CheckSections() {
    const char* const countKeys[] = {kCountKey};
    for (std::size_t i = 0; i < sections_.size(); ++i) {
      const platform::ProfileSection& section = sections_[i];
      if (FindSection(sections_, section.name) != &section) {
        Warn(section.name, "", "appears again: only the first one is read");
        continue;
      }
      if (SameName(section.name, kCountSection)) {
        CheckKeys(section, countKeys, 1);
        continue;
      }
      const std::int32_t n = VendorSectionNumber(section.name);
      if (n == 0) {
        Warn(section.name, "", "is never read (misspelt?)");
      } else if (n > report_->vendorCount) {
        Warn(section.name, "",
             "is never read: VendorCount is " +
                 std::to_string(report_->vendorCount));
      } else {
        CheckKeys(section, kVendorKeys, kVendorKeyCount);
      }
    }
  }

  // The launcher's pass, recorded; then, for the entries that matched
  // nothing, what their search would find, and the warnings of each entry.
  void CheckEntries() {
    std::vector<VendorEntry> values;
    PassRecorder recorder(present_, &report_->entries, &values);
    DeviceMatcher matcher;
    report_->showsBox = !RunVendorPass(matcher, recorder);
    for (std::size_t i = 0; i < values.size(); ++i) {
      EntryReport& entry = report_->entries[i];
      if (!entry.matched) {
        char root[kRootSize];
        VendorRoot(currentDirectory_, values[i], root);
        SearchBothModes(values[i], root, entry);
      }
      if (entry.sectionPresent) CheckEntryValues(entry, values[i]);
    }
  }

  void CheckEntryValues(const EntryReport& entry, const VendorEntry& values) {
    const platform::ProfileSection* section =
        FindSection(sections_, entry.section);
    for (const char* key : kVendorKeys) {
      if (std::strcmp(key, "VenName") != 0 && !HasKey(section, key))
        Warn(entry.section, key, "is missing: it reads as \"Unknow\"");
    }
    if (HasKey(section, "VenID")) CheckVenId(entry);
    if (HasKey(section, "SetupFileRootDir")) CheckRoot(entry, values);
    if (Searchable(entry.root)) {
      if (HasKey(section, "SetupFileName"))
        CheckSpec(entry, "SetupFileName", values.setupFileName, entry.normal);
      if (HasKey(section, "SilentInstall"))
        CheckSpec(entry, "SilentInstall", values.silentInstall, entry.silent);
    }
  }

  void CheckVenId(const EntryReport& entry) {
    if (entry.upperId.empty()) {
      Warn(entry.section, "VenID",
           "is empty: it matches the first PCI device of any vendor");
      return;
    }
    for (const Device& device : devices_) {
      if (device.note.empty() || device.hardwareIds.empty() ||
          !(DependsOnSubsystem(device.hardwareIds.front(), entry.upperId) ||
            DependsOnSubsystem(device.hardwareIds.front(), entry.lowerId)))
        continue;
      Warn(entry.section, "VenID",
           "whether it matches " + device.hardwareIds.front() +
               " depends on its SUBSYS_ digits, which the capture does not "
               "give (see the note): Windows may answer otherwise");
      break;
    }
    for (const std::string& form : {entry.upperId, entry.lowerId}) {
      for (const Device& device : devices_) {
        if (device.hardwareIds.empty()) continue;
        const std::string& first = device.hardwareIds.front();
        const std::string field = OtherFieldHolding(first, form);
        if (field.empty()) continue;
        Warn(entry.section, "VenID",
             Quoted(form) + " also occurs in the " + field + " digits of " +
                 first + ": a device of another vendor can match (write "
                 "VEN_" + entry.upperId + " to test the vendor only)");
        return;
      }
    }
  }

  // Whether text occurring in id depends on id's eight SUBSYS_ digits: it
  // occurs nowhere else, and would where some other hex digits stood there.
  static bool DependsOnSubsystem(const std::string& id,
                                 const std::string& text) {
    const std::size_t field = id.find("&SUBSYS_");
    if (field == std::string::npos || text.empty()) return false;
    const std::size_t begin = field + 8, end = begin + 8;
    for (std::size_t at = id.find(text); at != std::string::npos;
         at = id.find(text, at + 1)) {
      if (at + text.size() <= begin || at >= end) return false;
    }
    for (std::size_t at = 0; at + text.size() <= id.size(); ++at) {
      if (at + text.size() <= begin || at >= end) continue;
      bool fits = true;
      for (std::size_t i = 0; i < text.size() && fits; ++i) {
        const char c = text[i];
        fits = at + i >= begin && at + i < end
                   ? (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')
                   : c == id[at + i];
      }
      if (fits) return true;
    }
    return false;
  }

  // The name of a field whose digits hold text ("DEV_", ...), or "".
  static std::string OtherFieldHolding(const std::string& id,
                                       const std::string& text) {
    for (const char* field : kOtherFields) {
      const std::size_t at = id.find(std::string("&") + field);
      if (at == std::string::npos) continue;
      const std::size_t begin = at + 1 + std::strlen(field);
      const std::size_t end = id.find('&', begin);
      const std::string digits = id.substr(begin, end == std::string::npos
                                                      ? std::string::npos
                                                      : end - begin);
      if (digits.find(text) != std::string::npos) return field;
    }
    return "";
  }

  void CheckRoot(const EntryReport& entry, const VendorEntry& values) {
    const char* rootDir = values.setupFileRootDir;
    if (rootDir[0] != '\0' && rootDir[0] != '\\')
      Warn(entry.section, "SetupFileRootDir",
           "does not begin with \"\\\": it is glued to the folder's name, "
           "giving " + entry.root);
    if (!Searchable(entry.root))
      Warn(entry.section, "SetupFileRootDir",
           "gives a root of " + std::to_string(entry.root.size()) +
               " characters: with \"\\*\" added it passes the limit of 259, "
               "so it is never searched");
  }

  void CheckSpec(const EntryReport& entry, const char* key, const char* spec,
                 const std::vector<SetupFile>& found) {
    const LaunchSpecParts parts = SplitLaunchSpec(spec);
    const std::string name(parts.fileName, parts.fileNameLength);
    if (name.empty()) {
      Warn(entry.section, key,
           spec[0] == '\0' ? "is empty: no file can match"
                           : "begins with a blank: the file name is empty, "
                             "no file can match");
      return;
    }
    if (name.find_first_of("\\/") != std::string::npos) {
      Warn(entry.section, key,
           "names a folder in " + Quoted(name) +
               ": only a bare file name can match (put the folder into "
               "SetupFileRootDir)");
      return;
    }
    if (name.find('"') != std::string::npos) {
      Warn(entry.section, key,
           Quoted(name) + " holds quotes: names are compared as they "
                          "stand, so no file can match");
      return;
    }
    if (found.empty()) {
      Warn(entry.section, key,
           Quoted(name) + " is not found below " + entry.root);
    } else if (found.size() > 1) {
      std::string paths;
      for (const SetupFile& file : found)
        paths += (paths.empty() ? "" : "; ") + file.path;
      Warn(entry.section, key,
           Quoted(name) + " is found in " + std::to_string(found.size()) +
               " folders, and every one of them would start: " + paths);
    }
  }

  const Devices& devices_;
  const char* currentDirectory_;
  const char* configurationPath_;
  Report* report_;
  std::vector<platform::ProfileSection> sections_;
  std::set<std::int32_t> present_;
};

}  // namespace

CheckOutcome CheckCurrentDirectory(const Devices& devices, DeviceOrigin origin,
                                   Report* report) {
  Text currentDirectory;
  Text configurationPath;
  if (!platform::ReadCurrentDirectory(currentDirectory) ||
      !ConfigurationPath(currentDirectory, configurationPath))
    return CheckOutcome::kNoCurrentDirectory;
  report->configurationPath = configurationPath;
  if (!platform::CanReadProfile(configurationPath))
    return CheckOutcome::kUnreadableConfiguration;
  std::optional<platform::ScopedCapture> capture;
  if (origin == DeviceOrigin::kCapture) capture.emplace(devices);
  Checker(devices, currentDirectory, configurationPath, report).Run();
  return CheckOutcome::kChecked;
}

}  // namespace pomvarin::check
