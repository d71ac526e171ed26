// What a check finds, as plain data: the launcher's pass on each
// configuration of machines,
// what the disc's driver packages say of them, and where the devices came
// from. The checks fill these in; the report writers only read them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "check/fleet/devices.h"
#include "check/setup_kinds/setup_kind.h"

namespace pomvarin::check {

struct SetupFile {
  std::string path;
  std::string parameters;
  SetupKind kind = SetupKind::kUnknownProgram;
};

// What the search for one LaunchSpec found below a root, read like the list
// of files it is. Copies share the one list: the search depends on the disc
// alone, and every configuration's report of an entry holds its result.
class SetupFiles {
 public:
  SetupFiles() = default;
  SetupFiles(std::vector<SetupFile> files)
      : files_(
            std::make_shared<const std::vector<SetupFile>>(std::move(files))) {}

  operator const std::vector<SetupFile>&() const { return files(); }
  const std::vector<SetupFile>& files() const {
    static const std::vector<SetupFile> none;
    return files_ ? *files_ : none;
  }
  std::size_t size() const { return files().size(); }
  bool empty() const { return files().empty(); }
  const SetupFile& operator[](std::size_t i) const { return files()[i]; }
  std::vector<SetupFile>::const_iterator begin() const {
    return files().begin();
  }
  std::vector<SetupFile>::const_iterator end() const { return files().end(); }

 private:
  std::shared_ptr<const std::vector<SetupFile>> files_;
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
  SetupFiles normal;  // what would start without /s
  SetupFiles silent;  // and with it
};

struct Warning {
  std::string section;
  std::string key;  // empty for a warning on the whole section
  std::string message;
};

// The image a disc was read from, when it was one.
struct DiscImage {
  std::string file;  // empty for a folder
  std::string tree;  // the tree Windows reads: "joliet", "fat32", ...
  char drive = 'D';
  std::vector<std::string> skips;  // what of it was not read, for people
};

struct Report {
  std::string configurationPath;
  DiscImage image;
  std::string vendorCountText;
  std::int32_t vendorCount = 0;
  std::vector<EntryReport> entries;
  // In a fleet, handed over to the warnings over all machines once the
  // machine is checked (see DistinctWarnings), and empty after.
  std::vector<Warning> warnings;
  bool showsBox = false;
};

// The machines whose captures give the same devices, hardware IDs and
// notes alike, in the same order: the launcher does the same on each, so
// one pass on the devices stands for all of them.
struct Configuration {
  std::vector<std::string> machines;  // the captures' file names, as read
  Devices devices;
  Report report;  // the launcher's pass on the devices
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
  std::size_t configuration = 0;  // its number from 1, or 0 for none
  std::string device;   // the device's first hardware ID, or empty
  std::string inf;      // or empty
  std::string message;
};

struct Coverage {
  // Devices (first hardware IDs) no matched entry's packages serve, by
  // vendor ("VEN_8086", or "other" for IDs without one).
  std::map<std::string, std::vector<std::string>> unserved;
};

// A package with localised [Strings.LLLL] sections and the strings section
// the check read in it: no capture tells the machine's locale.
struct LocalisedStrings {
  std::string inf;
  std::string section;  // "Strings" or "Strings.0407"
};

struct FleetReport {
  std::size_t infFiles = 0;
  std::vector<LocalisedStrings> localisedStrings;  // in the packages' order
  std::vector<Coverage> configurations;  // in their order
  std::vector<FleetWarning> warnings;
};

// Files given as captures that were not read, each with its reason.
struct SkippedCapture {
  std::string file;
  std::string reason;
  bool unreadable = false;  // rather than no capture: the status is 2
};

// Where the devices of a check came from.
struct DeviceSource {
  std::string capture;  // the capture file; empty for the present devices
  std::size_t count = 0;
  // What the capture could not tell of some devices (see Device::note).
  std::vector<std::string> notes;
};

}  // namespace pomvarin::check
