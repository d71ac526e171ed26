// The driver packages on a disc: every .inf file below a folder, found by
// the launcher's own walk and read once.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "check/packages/inf.h"

namespace pomvarin::check {

struct Package {
  std::string path;  // as the launcher joins paths
  InfPackage inf;
};

// The key a package is kept by: paths of one file compare without ASCII
// case, as Windows compares them.
std::string PackageKey(const std::string& path);

// Every .inf file (any case) below root, hidden folders included, in walk
// order into found; each read into packages once: a path already there is
// not read again.
void ReadPackagesBelow(const std::string& root, const InfTarget* target,
                       std::map<std::string, Package>* packages,
                       std::vector<std::string>* found);

}  // namespace pomvarin::check
