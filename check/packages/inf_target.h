// The systems a driver package names in its models sections' decorations
// (NTamd64.10.0), and which models section Windows reads on a system.
#pragma once

#include <string>
#include <vector>

namespace pomvarin::check {

// A system, as a models section's decoration names it:
// NT[architecture][.major[.minor[.productType[.suiteMask[.build]]]]]. In a
// decoration a field left out matches any system; in a target, a version
// field left out is the newest, a product type left out is a workstation.
// Without an architecture both are x86, as Windows has read them since
// Windows Server 2003 SP1.
struct InfTarget {
  std::string architecture;  // lower case: "", "x86", "amd64", "arm64", ...
  int major = -1, minor = -1, build = -1;  // -1: left out
  int productType = -1;  // 1 workstation, 2 domain controller, 3 server
  unsigned suiteMask = 0;  // VER_SUITE_ flags, all of which must be there
};

// Reads a decoration such as "NTamd64.10.0...19045" (numbers in decimal or
// "0x" hex); false when it is none.
bool ParseInfTarget(const std::string& decoration, InfTarget* target);

// The models sections one [Manufacturer] line makes Windows read, the line's
// models section name and decorations given with %strkey% substituted.
// Without a target, every one; with one, the decoration Windows picks, or
// the undecorated section where none applies and the target is x86. What
// is no decoration is named in notDecorations and read by no target.
struct ModelsChoice {
  std::vector<std::string> sections;
  bool undecorated = false;  // sections[0] is the undecorated one
  std::vector<std::string> notDecorations;
};
ModelsChoice ChooseModels(const std::string& models,
                          const std::vector<std::string>& decorations,
                          const InfTarget* target);

}  // namespace pomvarin::check
