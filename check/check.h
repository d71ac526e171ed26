// What the launcher would do with the disc in the current directory, found
// by running the launcher's own vendor pass with a recorder in place of its
// starts and trace, and what in Pomvarin.ini looks wrong. Nothing is
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

// Where the devices of a check come from.
enum class DeviceOrigin {
  kPresent,  // the system's: devices were read from it
  kCapture,  // devices themselves, through the platform's device operations
};

// Checks the disc in the current directory: the launcher's pass on the
// devices, and warnings of what would go wrong with them.
CheckOutcome CheckCurrentDirectory(const Devices& devices, DeviceOrigin origin,
                                   Report* report);

}  // namespace pomvarin::check
