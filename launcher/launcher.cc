#include "launcher/launcher.h"

#include <cstring>

#include "devices/device_matcher.h"
#include "launcher/configuration.h"
#include "setup/search_and_launch.h"

namespace pomvarin {

namespace {

const char kEnumerator[] = "PCI";
const char kWarningText[] = "No Matched Device Driver!";
const char kWarningCaption[] = "Warning";

bool AskForVendor(const DeviceMatcher& matcher, const char* venId) {
  return matcher.FindDevice(kEnumerator, platform::kPropertyHardwareId, venId,
                            platform::kPropertyHardwareId, kEnumerator);
}

// Both case forms of the VenID are always asked for. Returns whether the
// entry matched a present device.
bool HandleVendorEntry(const DeviceMatcher& matcher,
                       const char* currentDirectory,
                       const char* configurationPath, std::int32_t n,
                       bool silent) {
  VendorEntry entry;
  ReadVendorEntry(configurationPath, n, entry);
  const std::size_t idLength = std::strlen(entry.venId);

  UpperCasePass(entry.venId, idLength);
  platform::Trace(entry.venId);
  const bool upperHit = AskForVendor(matcher, entry.venId);

  LowerCasePass(entry.venId, idLength);
  platform::Trace(entry.venId);
  const bool lowerHit = AskForVendor(matcher, entry.venId);

  if (!upperHit && !lowerHit) return false;

  char root[kRootSize];
  VendorRoot(currentDirectory, entry, root);
  SearchAndLaunch(root, silent ? entry.silentInstall : entry.setupFileName,
                  silent);
  platform::Trace(root);
  return true;
}

}  // namespace

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

int WinMain(const char* arguments) {
  const bool silent = HasSilentSwitch(arguments);
  DeviceMatcher matcher;

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
                            silent))
        matched = true;
    } while (NextVendorNumber(n, vendorCount));
  }

  if (!matched) platform::ShowWarning(kWarningText, kWarningCaption);
  return 0;
}

}  // namespace pomvarin
