// The setup programs on a disc: the files a vendor folder would be started
// by, found by the launcher's own walk.
#pragma once

#include <string>
#include <vector>

#include "check/setup_kinds/setup_kind.h"

namespace pomvarin::check {

struct SetupProgram {
  std::string folder;  // as the launcher joins paths
  std::string name;    // as the listing gives it
  std::string path;    // folder, "\" and name
  SetupKind kind = SetupKind::kUnknownProgram;
};

// The setup program of every folder below disc that holds one, in walk
// order, hidden folders included: where a folder holds more than one, the
// one its vendor most likely meant (setup.exe before a package it unpacks).
// A program is a setup by its name (setup, install) or by its kind.
std::vector<SetupProgram> FindSetupPrograms(const std::string& disc);

}  // namespace pomvarin::check
