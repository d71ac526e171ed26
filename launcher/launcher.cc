#include "launcher/launcher.h"

#include <cstring>

#include "setup/search_and_launch.h"

namespace pomvarin {

namespace {

const char kEnumerator[] = "PCI";

// Both case forms of the VenID are always asked for. Returns whether the
// entry matched a present device.
bool HandleVendorEntry(const DeviceMatcher& matcher,
                       const char* currentDirectory,
                       const char* configurationPath, std::int32_t n,
                       VendorPassObserver& observer) {
  VendorEntry entry;
  ReadVendorEntry(configurationPath, n, entry);
  observer.OnEntry(n, entry);
  Text venId;
  std::strcpy(venId, entry.venId);
  const std::size_t idLength = std::strlen(venId);

  UpperCasePass(venId, idLength);
  observer.OnCaseForm(venId);
  const bool upperHit = AnswersVendorQuestion(matcher, venId, &observer);

  LowerCasePass(venId, idLength);
  observer.OnCaseForm(venId);
  const bool lowerHit = AnswersVendorQuestion(matcher, venId, &observer);

  if (!upperHit && !lowerHit) return false;

  char root[kRootSize];
  VendorRoot(currentDirectory, entry, root);
  observer.OnMatched(entry, root);
  return true;
}

// The launcher's own watch of the pass: it traces, and starts each matched
// entry's setup.
class Launcher : public VendorPassObserver {
 public:
  explicit Launcher(bool silent) : silent_(silent) {}

  void OnEntry(std::int32_t, const VendorEntry&) override {}
  void OnCaseForm(const char* venId) override { platform::Trace(venId); }
  void OnDeviceAnswered(platform::DeviceList,
                        const platform::DeviceRecord&) override {}
  void OnMatched(const VendorEntry& entry, const char* root) override {
    SearchAndLaunch(root, LaunchSpecFor(entry, silent_), silent_);
    platform::Trace(root);
  }

 private:
  bool silent_;
};

}  // namespace

bool AnswersVendorQuestion(const DeviceMatcher& matcher, const char* venId,
                           DeviceAnswered* answered) {
  return matcher.FindDevice(kEnumerator, platform::kPropertyHardwareId, venId,
                            platform::kPropertyHardwareId, kEnumerator,
                            answered);
}

bool HasSilentSwitch(const char* arguments) {
  platform::Trace(arguments);
  return std::strstr(arguments, "/s") || std::strstr(arguments, "/S");
}

void UpperCasePass(char* id, std::size_t length) {
  for (std::size_t i = 0; i < length; ++i) {
    if (id[i] >= 'a' && id[i] <= 'z') id[i] = id[i] - 'a' + 'A';
  }
}

void LowerCasePass(char* id, std::size_t length) {
  for (std::size_t i = 1; i < length; ++i) {
    if (id[i] >= 'A' && id[i] <= 'Z') id[i] = id[i] - 'A' + 'a';
  }
}

bool RunVendorPass(const DeviceMatcher& matcher, VendorPassObserver& observer) {
  // Without a usable current directory there is no configuration file to
  // read: the run counts no vendor entries.
  Text currentDirectory;
  Text configurationPath = "";
  std::int32_t vendorCount = 0;
  if (platform::ReadCurrentDirectory(currentDirectory) &&
      ConfigurationPath(currentDirectory, configurationPath))
    vendorCount = ReadVendorCount(configurationPath);

  bool matched = false;
  if (vendorCount >= 1) {
    std::int32_t n = 1;
    do {
      if (HandleVendorEntry(matcher, currentDirectory, configurationPath, n,
                            observer))
        matched = true;
      n = observer.LastEntryAlike(n, vendorCount);
    } while (NextVendorNumber(n, vendorCount));
  }
  return matched;
}

int WinMain(const char* arguments) {
  const bool silent = HasSilentSwitch(arguments);
  DeviceMatcher matcher;
  Launcher launcher(silent);
  if (!RunVendorPass(matcher, launcher))
    platform::ShowWarning(kWarningText, kWarningCaption);
  return 0;
}

}  // namespace pomvarin
