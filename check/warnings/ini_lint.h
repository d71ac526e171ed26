// What in Pomvarin.ini the launcher would read otherwise than its author
// meant: the count, the sections and their keys, as the profile reader
// sees them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "check/check.h"
#include "platform/profile_sections.h"

namespace pomvarin::check {

using ProfileSections = std::vector<platform::ProfileSection>;

// The number n of a section the launcher reads as "VendorInfo" + n, or 0.
std::int32_t VendorSectionNumber(const std::string& name);

// The sections with the first section of each name found at once: the
// first one is the only one the reader looks into, and a file may hold
// thousands.
class SectionIndex {
 public:
  explicit SectionIndex(const ProfileSections& sections);

  const ProfileSections& sections() const { return sections_; }
  // The first section of the name, or nullptr.
  const platform::ProfileSection* Find(const std::string& name) const;
  // Where the first section of the name stands; sections().size() when
  // there is none.
  std::size_t PositionOf(const std::string& name) const;
  // Whether sections()[position] is the first section of its name.
  bool IsFirst(std::size_t position) const {
    return firstOfName_[position] == position;
  }

 private:
  const ProfileSections& sections_;
  // From the name in ASCII lower case.
  std::unordered_map<std::string, std::size_t> firstByName_;
  // For each section, where the first section of its name stands.
  std::vector<std::size_t> firstOfName_;
};

bool HasKey(const platform::ProfileSection* section, const std::string& key);

// The numbers of the VendorInfo sections the file holds.
std::set<std::int32_t> VendorSectionNumbers(const ProfileSections& sections);

// Warnings of VendorCount, read as countText and taken as count.
void LintVendorCount(const SectionIndex& index,
                     const std::set<std::int32_t>& present,
                     const std::string& countText, std::int32_t count,
                     std::vector<Warning>* warnings);

// Warnings of sections the launcher never reads or reads only once, and of
// keys it never reads or reads only once.
void LintSections(const SectionIndex& index, std::int32_t vendorCount,
                  std::vector<Warning>* warnings);

// The warnings of one section together, in the order the sections stand in
// the file; those of the count first, whether its section is there or not.
void SortWarningsByFileOrder(const SectionIndex& index,
                             std::vector<Warning>* warnings);

}  // namespace pomvarin::check
