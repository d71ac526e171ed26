// What the launcher would do with the disc in the current directory, found
// with the launcher's own reading of Pomvarin.ini, its own question per case
// form and its own walk, and what in Pomvarin.ini looks wrong. Nothing is
// started and no box is shown.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "check/devices.h"

namespace pomvarin::check {

struct SetupFile {
  std::string path;
  std::string parameters;
};

struct EntryReport {
  std::int32_t number = 0;
  // Above number when the sections number to lastNumber are all missing and
  // so all read alike: they are reported once.
  std::int32_t lastNumber = 0;
  bool sectionPresent = false;
  std::string section;
  std::string venName;
  std::string upperId;  // the VenID after the upper pass
  std::string lowerId;  // and after the lower pass
  bool matched = false;
  std::string device;   // the matched device's first hardware ID
  std::string root;
  std::vector<SetupFile> normal;  // what would start without /s
  std::vector<SetupFile> silent;  // and with it
};

struct Warning {
  std::string section;
  std::string key;  // empty for a warning on the whole section
  std::string message;
};

struct Report {
  std::string configurationPath;
  std::string vendorCountText;
  std::int32_t vendorCount = 0;
  std::vector<EntryReport> entries;
  std::vector<Warning> warnings;
  bool showsBox = false;
};

enum class CheckOutcome {
  kChecked,
  kNoCurrentDirectory,  // unreadable, or too long for the launcher
  kUnreadableConfiguration,
};

// Checks the disc in the current directory against devices.
CheckOutcome CheckCurrentDirectory(const Devices& devices, Report* report);

}  // namespace pomvarin::check
