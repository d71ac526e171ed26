// The launcher's entry and its one pass over the configured vendor entries.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/platform.h"

namespace pomvarin {

// The five values of one "VendorInfo" section.
struct VendorEntry {
  Text venName;
  Text venId;
  Text setupFileRootDir;
  Text setupFileName;
  Text silentInstall;
};

// The run: reads Pomvarin.ini from the current directory, starts the setup
// of every vendor whose ID a present PCI device carries, and shows the
// warning box when none did. The arguments are the command line without the
// program's name. Always returns 0.
int WinMain(const char* arguments);

// Traces the arguments and tells whether they hold "/s" or "/S" anywhere.
bool HasSilentSwitch(const char* arguments);

// A VendorCount value as a signed 32-bit number: leading white space, one
// optional sign, decimal digits up to the first other character; no digits
// give 0, a value out of range the nearest bound.
std::int32_t ParseVendorCount(const char* text);

// Moves n on to the next entry number; false once n has reached count, also
// when count is the largest 32-bit value.
bool NextVendorNumber(std::int32_t& n, std::int32_t count);

// "VendorInfo" followed by n in decimal.
void VendorSectionName(std::int32_t n, Text& section);

// The case passes on the first length bytes of an ID: every ASCII letter to
// upper case; then every ASCII letter but the first to lower case.
void UpperCasePass(char* id, std::size_t length);
void LowerCasePass(char* id, std::size_t length);

}  // namespace pomvarin
