// The systems a driver package names in its models sections' decorations
// (NTamd64.10.0), and which decorated section Windows picks for a system.
#pragma once

#include <string>

namespace pomvarin::check {

// The system a package is installed on, as a models section's decoration
// names it: NT[architecture][.major[.minor[.productType[.suiteMask[.build]]]]].
// Empty fields are not given.
struct InfTarget {
  std::string architecture;  // lower case: "", "x86", "amd64", "arm64", ...
  int major = -1, minor = -1, build = -1;
};

// Reads a decoration such as "NTamd64.10.0"; false when it is none.
bool ParseInfTarget(const std::string& decoration, InfTarget* target);

// Whether a section decorated for decoration installs on target.
bool Suits(const InfTarget& decoration, const InfTarget& target);

// Whether a is more specific than b: Windows takes the most specific of the
// decorations that suit.
bool MoreSpecific(const InfTarget& a, const InfTarget& b);

}  // namespace pomvarin::check
