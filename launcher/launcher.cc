#include "launcher/launcher.h"

#include <climits>
#include <cstring>

#include "common/text.h"
#include "devices/device_matcher.h"
#include "setup/search_and_launch.h"

namespace pomvarin {

namespace {

const char kConfigurationName[] = "Pomvarin.ini";
const char kFallback[] = "Unknow";
const char kEnumerator[] = "PCI";
const char kWarningText[] = "No Matched Device Driver!";
const char kWarningCaption[] = "Warning";

bool IsCountSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' ||
         c == '\r';
}

void ReadVendorEntry(const char* configurationPath, std::int32_t n,
                     VendorEntry& entry) {
  Text section;
  VendorSectionName(n, section);
  platform::ReadProfileString(section, "VenName", kFallback, entry.venName,
                              configurationPath);
  platform::ReadProfileString(section, "VenID", kFallback, entry.venId,
                              configurationPath);
  platform::ReadProfileString(section, "SetupFileRootDir", kFallback,
                              entry.setupFileRootDir, configurationPath);
  platform::ReadProfileString(section, "SetupFileName", kFallback,
                              entry.setupFileName, configurationPath);
  platform::ReadProfileString(section, "SilentInstall", kFallback,
                              entry.silentInstall, configurationPath);
}

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

  // Two Texts joined; it may pass the path limit, in which case the search
  // skips it, but the trace still shows the whole root.
  char root[2 * kTextSize];
  std::strcpy(root, currentDirectory);
  std::strcat(root, entry.setupFileRootDir);
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

std::int32_t ParseVendorCount(const char* text) {
  while (IsCountSpace(*text)) ++text;
  const bool negative = *text == '-';
  if (*text == '+' || *text == '-') ++text;
  // Accumulate towards the bound so that INT32_MIN needs no special case.
  const std::int64_t bound =
      negative ? -static_cast<std::int64_t>(INT32_MIN) : INT32_MAX;
  std::int64_t magnitude = 0;
  for (; *text >= '0' && *text <= '9'; ++text) {
    magnitude = magnitude * 10 + (*text - '0');
    if (magnitude > bound) magnitude = bound;
  }
  return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

bool NextVendorNumber(std::int32_t& n, std::int32_t count) {
  if (n >= count) return false;
  ++n;
  return true;
}

void VendorSectionName(std::int32_t n, Text& section) {
  char digits[12];
  std::size_t length = 0;
  std::uint32_t value = static_cast<std::uint32_t>(n);
  do {
    digits[length++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  std::strcpy(section, "VendorInfo");
  std::size_t at = std::strlen(section);
  while (length > 0) section[at++] = digits[--length];
  section[at] = '\0';
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
      JoinPath(configurationPath, currentDirectory, kConfigurationName)) {
    Text countText;
    platform::ReadProfileString("PomvarinInfo", "VendorCount", kFallback,
                                countText, configurationPath);
    vendorCount = ParseVendorCount(countText);
  }

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
