// Warnings of Pomvarin.ini itself: the count, the sections and their keys.
#include "check/warnings/ini_lint.h"

#include <algorithm>
#include <climits>
#include <iterator>
#include <unordered_set>

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
  std::unordered_set<std::string> seen;  // in ASCII lower case
  for (const std::string& key : section.keys) {
    bool isKnown = false;
    for (std::size_t i = 0; i < knownCount; ++i) {
      if (SameName(key, known[i])) isKnown = true;
    }
    if (!isKnown) Warn(warnings, section.name, key, "is never read (misspelt?)");
    if (!seen.insert(LowerAscii(key)).second)
      Warn(warnings, section.name, key,
           "appears again: only the first one counts");
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

SectionIndex::SectionIndex(const ProfileSections& sections)
    : sections_(sections) {
  firstByName_.reserve(sections.size());
  firstOfName_.reserve(sections.size());
  for (std::size_t i = 0; i < sections.size(); ++i)
    firstOfName_.push_back(
        firstByName_.emplace(LowerAscii(sections[i].name), i).first->second);
}

const platform::ProfileSection* SectionIndex::Find(
    const std::string& name) const {
  const std::size_t position = PositionOf(name);
  return position < sections_.size() ? &sections_[position] : nullptr;
}

std::size_t SectionIndex::PositionOf(const std::string& name) const {
  const auto found = firstByName_.find(LowerAscii(name));
  return found == firstByName_.end() ? sections_.size() : found->second;
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

void LintVendorCount(const SectionIndex& index,
                     const std::set<std::int32_t>& present,
                     const std::string& countText, std::int32_t count,
                     std::vector<Warning>* warnings) {
  if (!HasKey(index.Find(kCountSection), kCountKey)) {
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

void LintSections(const SectionIndex& index, std::int32_t vendorCount,
                  std::vector<Warning>* warnings) {
  const char* const countKeys[] = {kCountKey};
  const ProfileSections& sections = index.sections();
  for (std::size_t i = 0; i < sections.size(); ++i) {
    const platform::ProfileSection& section = sections[i];
    if (!index.IsFirst(i)) {
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

void SortWarningsByFileOrder(const SectionIndex& index,
                             std::vector<Warning>* warnings) {
  // Each warning's place is looked up once, not at every comparison.
  std::vector<std::ptrdiff_t> positions;
  positions.reserve(warnings->size());
  for (const Warning& warning : *warnings)
    positions.push_back(
        SameName(warning.section, kCountSection)
            ? -1
            : static_cast<std::ptrdiff_t>(index.PositionOf(warning.section)));
  std::vector<std::size_t> order(warnings->size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) {
                     return positions[a] < positions[b];
                   });
  // Each warning goes to its place along the cycles of the order, so that
  // no second list of them is made: there can be one a section.
  for (std::size_t start = 0; start < order.size(); ++start) {
    if (order[start] == start) continue;
    Warning held = std::move((*warnings)[start]);
    std::size_t at = start;
    while (order[at] != start) {
      const std::size_t from = order[at];
      (*warnings)[at] = std::move((*warnings)[from]);
      order[at] = at;
      at = from;
    }
    (*warnings)[at] = std::move(held);
    order[at] = at;
  }
}

}  // namespace pomvarin::check
