// What in Pomvarin.ini the launcher would read otherwise than its author
// meant: the count, the sections and their keys, as the profile reader
// sees them.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "check/check.h"
#include "platform/profile_sections.h"

namespace pomvarin::check {

using ProfileSections = std::vector<platform::ProfileSection>;

// The number n of a section the launcher reads as "VendorInfo" + n, or 0.
std::int32_t VendorSectionNumber(const std::string& name);

// The first section of the name: the only one the reader looks into.
const platform::ProfileSection* FindSection(const ProfileSections& sections,
                                            const std::string& name);

bool HasKey(const platform::ProfileSection* section, const std::string& key);

// The numbers of the VendorInfo sections the file holds.
std::set<std::int32_t> VendorSectionNumbers(const ProfileSections& sections);

// Warnings of VendorCount, read as countText and taken as count.
void LintVendorCount(const ProfileSections& sections,
                     const std::set<std::int32_t>& present,
                     const std::string& countText, std::int32_t count,
                     std::vector<Warning>* warnings);

// Warnings of sections the launcher never reads or reads only once, and of
// keys it never reads or reads only once.
void LintSections(const ProfileSections& sections, std::int32_t vendorCount,
                  std::vector<Warning>* warnings);

// The warnings of one section together, in the order the sections stand in
// the file; those of the count first, whether its section is there or not.
void SortWarningsByFileOrder(const ProfileSections& sections,
                             std::vector<Warning>* warnings);

}  // namespace pomvarin::check
