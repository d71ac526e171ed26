// Reading Pomvarin.ini: where it is, how many vendor entries it lists and
// the five values of each.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/platform.h"

namespace pomvarin {

// The value every key reads as when the file, section or key is absent.
// "Unknow", six letters, is the system's own text: discs in the field are
// written against it, so it is not to be corrected to "Unknown".
constexpr char kProfileFallback[] = "Unknow";

// The names the launcher reads Pomvarin.ini by.
constexpr char kCountSection[] = "PomvarinInfo";
constexpr char kCountKey[] = "VendorCount";
constexpr char kVendorSectionPrefix[] = "VendorInfo";
// The keys of a vendor section, in the order they are read.
constexpr const char* kVendorKeys[] = {"VenName", "VenID", "SetupFileRootDir",
                                       "SetupFileName", "SilentInstall"};
constexpr std::size_t kVendorKeyCount = sizeof kVendorKeys / sizeof *kVendorKeys;

// The five values of one "VendorInfo" section.
struct VendorEntry {
  Text venName;
  Text venId;
  Text setupFileRootDir;
  Text setupFileName;
  Text silentInstall;
};

// currentDirectory + "\Pomvarin.ini", or false when that does not fit.
bool ConfigurationPath(const char* currentDirectory, Text& path);

// Room for the current directory and a SetupFileRootDir joined: the root
// may pass the path limit, and the search then skips it, but the trace still
// shows it whole.
constexpr std::size_t kRootSize = 2 * kTextSize;

// The entry's root folder: the current directory followed by its
// SetupFileRootDir, joined unchanged.
void VendorRoot(const char* currentDirectory, const VendorEntry& entry,
                char (&root)[kRootSize]);

// The LaunchSpec the mode starts: SilentInstall with /s, else SetupFileName.
const char* LaunchSpecFor(const VendorEntry& entry, bool silent);

// "VendorCount" of section "PomvarinInfo", converted by ParseVendorCount.
std::int32_t ReadVendorCount(const char* configurationPath);

// Reads the five keys of entry n in their fixed order.
void ReadVendorEntry(const char* configurationPath, std::int32_t n,
                     VendorEntry& entry);

// A VendorCount value as a signed 32-bit number: leading white space, one
// optional sign, decimal digits up to the first other character; no digits
// give 0, a value out of range the nearest bound.
std::int32_t ParseVendorCount(const char* text);

// Moves n on to the next entry number; false once n has reached count, also
// when count is the largest 32-bit value.
bool NextVendorNumber(std::int32_t& n, std::int32_t count);

// "VendorInfo" followed by n in decimal.
void VendorSectionName(std::int32_t n, Text& section);

}  // namespace pomvarin
