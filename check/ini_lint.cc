#include "check/ini_lint.h"

#include <algorithm>
#include <climits>
#include <iterator>

#include "common/ascii.h"
#include "launcher/configuration.h"

namespace pomvarin::check {

namespace {

void Warn(std::vector<Warning>* warnings, const std::string& section,
          const std::string& key, const std::string& message) {
  warnings->push_back(Warning{section, key, message});
}

void LintKeys(const platform::ProfileSection& section,
              const char* const* known, std::size_t knownCount,
              std::vector<Warning>* warnings) {
  std::vector<std::string> seen;
  for (const std::string& key : section.keys) {
    bool isKnown = false;
    for (std::size_t i = 0; i < knownCount; ++i) {
      if (SameName(key, known[i])) isKnown = true;
    }
    if (!isKnown) Warn(warnings, section.name, key, "is never read (misspelt?)");
    bool repeated = false;
    for (const std::string& earlier : seen) {
      if (SameName(key, earlier)) repeated = true;
    }
    if (repeated)
      Warn(warnings, section.name, key,
           "appears again: only the first one counts");
    seen.push_back(key);
  }
}

}  // namespace

std::int32_t VendorSectionNumber(const std::string& name) {
  const std::size_t prefix = sizeof kVendorSectionPrefix - 1;
  if (name.size() <= prefix ||
      !SameName(name.substr(0, prefix), kVendorSectionPrefix))
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

const platform::ProfileSection* FindSection(const ProfileSections& sections,
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

std::set<std::int32_t> VendorSectionNumbers(const ProfileSections& sections) {
  std::set<std::int32_t> present;
  for (const platform::ProfileSection& section : sections) {
    const std::int32_t n = VendorSectionNumber(section.name);
    if (n > 0) present.insert(n);
  }
  return present;
}

void LintVendorCount(const ProfileSections& sections,
                     const std::set<std::int32_t>& present,
                     const std::string& countText, std::int32_t count,
                     std::vector<Warning>* warnings) {
  if (!HasKey(FindSection(sections, kCountSection), kCountKey)) {
    Warn(warnings, kCountSection, kCountKey,
         "is missing: no vendor entry is handled and the warning box "
         "always shows");
    return;
  }
  if (countText != std::to_string(count))
    Warn(warnings, kCountSection, kCountKey,
         Quoted(countText) + " reads as " + std::to_string(count));
  if (count < 1) {
    Warn(warnings, kCountSection, kCountKey,
         "is " + std::to_string(count) +
             ": no vendor entry is handled and the warning box always "
             "shows");
    return;
  }
  const auto inRange =
      std::distance(present.begin(), present.upper_bound(count));
  const std::int64_t missing = static_cast<std::int64_t>(count) - inRange;
  if (missing > 0) {
    std::int32_t firstMissing = 1;
    while (present.count(firstMissing)) ++firstMissing;
    Warn(warnings, kCountSection, kCountKey,
         "is " + std::to_string(count) + " but " + std::to_string(missing) +
             " of VendorInfo1 to VendorInfo" + std::to_string(count) +
             " are missing (the first is " + kVendorSectionPrefix +
             std::to_string(firstMissing) +
             "): every value of theirs reads as \"Unknow\"");
  }
}

void LintSections(const ProfileSections& sections, std::int32_t vendorCount,
                  std::vector<Warning>* warnings) {
  const char* const countKeys[] = {kCountKey};
  for (const platform::ProfileSection& section : sections) {
    if (FindSection(sections, section.name) != &section) {
      Warn(warnings, section.name, "",
           "appears again: only the first one is read");
      continue;
    }
    if (SameName(section.name, kCountSection)) {
      LintKeys(section, countKeys, 1, warnings);
      continue;
    }
    const std::int32_t n = VendorSectionNumber(section.name);
    if (n == 0) {
      Warn(warnings, section.name, "", "is never read (misspelt?)");
    } else if (n > vendorCount) {
      Warn(warnings, section.name, "",
           "is never read: VendorCount is " + std::to_string(vendorCount));
    } else {
      LintKeys(section, kVendorKeys, kVendorKeyCount, warnings);
    }
  }
}

void SortWarningsByFileOrder(const ProfileSections& sections,
                             std::vector<Warning>* warnings) {
  const auto position = [&](const Warning& warning) -> std::ptrdiff_t {
    if (SameName(warning.section, kCountSection)) return -1;
    const platform::ProfileSection* section =
        FindSection(sections, warning.section);
    return section ? section - sections.data()
                   : static_cast<std::ptrdiff_t>(sections.size());
  };
  std::stable_sort(warnings->begin(), warnings->end(),
                   [&](const Warning& a, const Warning& b) {
                     return position(a) < position(b);
                   });
}

}  // namespace pomvarin::check
