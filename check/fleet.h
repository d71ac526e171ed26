// One disc over many machines: what starts on each, which devices nothing
// started serves, and whether each entry's VenID agrees with the driver
// packages (.inf files) in its own folder.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "check/check.h"
#include "check/devices.h"
#include "check/inf.h"
#include "check/inf_walk.h"

namespace pomvarin::check {

// The IDs Windows matches a device's drivers by: its hardware IDs, then the
// compatible IDs made from the numbers of its first hardware ID (and the
// class code of any hardware ID that gives one), in upper case. A device
// without VEN_ in its first hardware ID has no compatible IDs.
std::vector<std::string> MatchingIds(const Device& device);

struct Machine {
  std::string name;  // the capture's file name
  Devices devices;
  Report report;  // the launcher's pass on its devices
};

enum class FleetWarningKind {
  kVenIdMatchesNoPackage,
  kFalseStart,
  kMissedDriver,
  kBrokenInf,
};

struct FleetWarning {
  FleetWarningKind kind;
  std::string section;  // the entry's, or empty
  std::string machine;  // or empty
  std::string device;   // the device's first hardware ID, or empty
  std::string inf;      // or empty
  std::string message;
};

struct MachineCoverage {
  // Devices (first hardware IDs) no matched entry's packages serve, by
  // vendor ("VEN_8086", or "other" for IDs without one).
  std::map<std::string, std::vector<std::string>> unserved;
};

struct FleetReport {
  std::size_t infFiles = 0;
  std::vector<MachineCoverage> machines;  // in the order of the machines
  std::vector<FleetWarning> warnings;
};

// Reads the disc's packages below the current directory and the entries'
// roots, and weighs them against every machine's report.
FleetReport CheckFleet(const std::vector<Machine>& machines,
                       const InfTarget* target);

}  // namespace pomvarin::check
