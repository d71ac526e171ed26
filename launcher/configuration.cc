#include "launcher/configuration.h"

#include <climits>
#include <cstring>

#include "common/text.h"

namespace pomvarin {

namespace {

const char kConfigurationName[] = "Pomvarin.ini";

bool IsCountSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' ||
         c == '\r';
}

}  // namespace

bool ConfigurationPath(const char* currentDirectory, Text& path) {
  return JoinPath(path, currentDirectory, kConfigurationName);
}

void VendorRoot(const char* currentDirectory, const VendorEntry& entry,
                char (&root)[kRootSize]) {
  std::strcpy(root, currentDirectory);
  std::strcat(root, entry.setupFileRootDir);
}

const char* LaunchSpecFor(const VendorEntry& entry, bool silent) {
  return silent ? entry.silentInstall : entry.setupFileName;
}

std::int32_t ReadVendorCount(const char* configurationPath) {
  Text countText;
  platform::ReadProfileString(kCountSection, kCountKey, kProfileFallback,
                              countText, configurationPath);
  return ParseVendorCount(countText);
}

void ReadVendorEntry(const char* configurationPath, std::int32_t n,
                     VendorEntry& entry) {
  Text section;
  VendorSectionName(n, section);
  // In the order of kVendorKeys.
  Text* const values[] = {&entry.venName, &entry.venId,
                          &entry.setupFileRootDir, &entry.setupFileName,
                          &entry.silentInstall};
  static_assert(sizeof values / sizeof *values == kVendorKeyCount,
                "one value per key");
  for (std::size_t i = 0; i < kVendorKeyCount; ++i)
    platform::ReadProfileString(section, kVendorKeys[i], kProfileFallback,
                                *values[i], configurationPath);
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
  std::strcpy(section, kVendorSectionPrefix);
  std::size_t at = std::strlen(section);
  while (length > 0) section[at++] = digits[--length];
  section[at] = '\0';
}

}  // namespace pomvarin
