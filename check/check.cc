// The order of a check: Pomvarin.ini, the launcher's pass recorded, warnings.
#include "check/check.h"

#include <cstring>
#include <optional>
#include <set>

#include "check/image/image_lint.h"
#include "check/warnings/ini_lint.h"
#include "check/input/input_limits.h"
#include "check/pass_recorder.h"
#include "check/warnings/setup_kind_lint.h"
#include "check/warnings/setup_lint.h"
#include "check/warnings/ven_id_lint.h"
#include "devices/device_matcher.h"
#include "launcher/configuration.h"
#include "launcher/launcher.h"
#include "platform/capture/captured_devices.h"
#include "platform/files.h"
#include "platform/image/image_folders.h"
#include "platform/platform.h"
#include "platform/profile_sections.h"

namespace pomvarin::check {

namespace {

// The warnings of one entry whose section is there.
void LintEntry(const platform::ProfileSection* section,
               const EntryReport& entry, const VendorEntry& values,
               const Devices& devices, SetupKindLint& kindLint,
               std::vector<Warning>* warnings) {
  for (const char* key : kVendorKeys) {
    if (std::strcmp(key, "VenName") != 0 && !HasKey(section, key))
      warnings->push_back(
          Warning{entry.section, key, "is missing: it reads as \"Unknow\""});
  }
  if (HasKey(section, "VenID")) LintVenId(entry, devices, warnings);
  if (HasKey(section, "SetupFileRootDir")) LintRoot(entry, values, warnings);
  if (!Searchable(entry.root)) return;
  const bool image = CheckingAnImage();
  if (HasKey(section, "SetupFileName")) {
    LintLaunchSpec(entry, "SetupFileName", values.setupFileName, entry.normal,
                   warnings);
    if (image)
      LintHiddenOnImage(entry, "SetupFileName", values.setupFileName, warnings);
  }
  if (HasKey(section, "SilentInstall")) {
    LintLaunchSpec(entry, "SilentInstall", values.silentInstall, entry.silent,
                   warnings);
    if (image)
      LintHiddenOnImage(entry, "SilentInstall", values.silentInstall, warnings);
    kindLint.LintSilentSetups(entry, warnings);
  }
}

// The platform's readers take the file whole, and the check reads it
// several times over: one past the limit is refused before any of them.
bool LargerThanTheLimit(const char* configurationPath) {
  std::string bytes;
  return platform::ReadFileBytes(configurationPath,
                                 platform::FileSource::kRegularFile,
                                 kConfigurationLimit, &bytes)
             .outcome == platform::FileRead::kTooLarge;
}

}  // namespace

DiscCheck::DiscCheck()
    : searches_(new SetupSearches), kindLint_(new SetupKindLint) {}

DiscCheck::~DiscCheck() = default;

CheckOutcome DiscCheck::Open() {
  if (!platform::ReadCurrentDirectory(currentDirectory_) ||
      !ConfigurationPath(currentDirectory_, configurationPath_))
    return CheckOutcome::kNoCurrentDirectory;
  disc_.configurationPath = configurationPath_;
  // An image's Pomvarin.ini is read from its copy.
  const char* file = platform::FileHolding(configurationPath_);
  if (!file) return CheckOutcome::kUnreadableConfiguration;
  if (LargerThanTheLimit(file)) return CheckOutcome::kConfigurationTooLarge;
  if (!platform::CanReadProfile(file))
    return CheckOutcome::kUnreadableConfiguration;
  sections_ = platform::ListProfileSections(file);
  index_ = std::make_unique<SectionIndex>(sections_);
  present_ = VendorSectionNumbers(sections_);
  Text countText;
  platform::ReadProfileString(kCountSection, kCountKey, kProfileFallback,
                              countText, configurationPath_);
  disc_.vendorCountText = countText;
  disc_.vendorCount = ReadVendorCount(configurationPath_);
  LintVendorCount(*index_, present_, disc_.vendorCountText,
                  disc_.vendorCount, &disc_.warnings);
  LintSections(*index_, disc_.vendorCount, &disc_.warnings);
  return CheckOutcome::kChecked;
}

void DiscCheck::Check(const Devices& devices, DeviceOrigin origin,
                      Report* report) {
  *report = disc_;
  std::optional<platform::ScopedCapture> capture;
  if (origin == DeviceOrigin::kCapture) capture.emplace(devices);
  // The launcher's pass, recorded; then, for the entries that matched
  // nothing, what their search would find, and the warnings of each entry.
  std::vector<VendorEntry> values;
  PassRecorder recorder(present_, *searches_, &report->entries, &values);
  const DeviceMatcher matcher;
  report->showsBox = !RunVendorPass(matcher, recorder);
  // A fleet keeps every configuration's report: no room for entries to come.
  report->entries.shrink_to_fit();
  for (std::size_t i = 0; i < values.size(); ++i) {
    EntryReport& entry = report->entries[i];
    if (!entry.matched) {
      char root[kRootSize];
      VendorRoot(currentDirectory_, values[i], root);
      SearchBothModes(values[i], root, *searches_, entry);
    }
    if (entry.sectionPresent)
      LintEntry(index_->Find(entry.section), entry, values[i], devices,
                *kindLint_, &report->warnings);
  }
  SortWarningsByFileOrder(*index_, &report->warnings);
}

CheckOutcome CheckCurrentDirectory(const Devices& devices, DeviceOrigin origin,
                                   Report* report) {
  DiscCheck disc;
  const CheckOutcome outcome = disc.Open();
  report->configurationPath = disc.configurationPath();
  if (outcome == CheckOutcome::kChecked) disc.Check(devices, origin, report);
  return outcome;
}

}  // namespace pomvarin::check
