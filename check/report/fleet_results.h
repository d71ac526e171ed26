// What a check over many machines finds, folded as it goes: each
// configuration keeps only numbers into tables of what machines share
// (outcomes, devices, warnings), so that memory grows with what is to be
// reported, not with what each machine's pass held.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "check/report/results.h"

namespace pomvarin::check {

using Number32 = std::uint32_t;

// Texts met again and again over a fleet, each held once and named by the
// number it was first given.
class TextTable {
 public:
  Number32 Add(std::string_view text) {
    const auto found = numbers_.find(text);
    if (found != numbers_.end()) return found->second;
    texts_.emplace_back(text);
    const Number32 number = static_cast<Number32>(texts_.size() - 1);
    numbers_.emplace(texts_.back(), number);
    return number;
  }
  const std::string& operator[](Number32 number) const { return texts_[number]; }
  std::size_t size() const { return texts_.size(); }

 private:
  std::deque<std::string> texts_;  // a deque: the keys below stay in place
  std::unordered_map<std::string_view, Number32> numbers_;
};

// A decision of the launcher, the same on every configuration that makes
// it: the entries that match (and so the files that start, which each
// entry's search gives alike everywhere) and the warning box.
struct FleetOutcome {
  std::vector<bool> matched;  // by entry, in the entries' order
  bool showsBox = false;
  // Into FleetResults::warnings: those of the setups started together.
  std::vector<Number32> warnings;
};

// One configuration: the machines whose captures give the same devices.
struct FleetConfiguration {
  Number32 outcome = 0;
  Number32 devices = 0;  // how many
  Number32 machines = 0;  // how many
  // Into FleetResults::devices, of each matched entry in the entries' order.
  std::vector<Number32> matchedDevices;
  std::vector<Number32> notes;           // into FleetResults::notes
  std::vector<Number32> warnings;        // into FleetResults::warnings
  std::vector<Number32> packageWarnings;  // into FleetResults::machineWarnings
  std::vector<Number32> unserved;         // into FleetResults::devices
};

// Each machine's name and configuration, in the order read; the names
// end to end in one text.
struct MachineNames {
  std::string names;
  std::vector<Number32> ends;  // where each name ends in names
  std::vector<Number32> configurations;
  std::string_view operator[](std::size_t m) const {
    const std::size_t begin = m == 0 ? 0 : ends[m - 1];
    return std::string_view(names).substr(begin, ends[m] - begin);
  }
  std::size_t size() const { return ends.size(); }
};

struct FleetResults {
  // Pomvarin.ini and its entries as every machine reads them (taken from
  // the first configuration's pass: the searches depend on the disc alone).
  std::string configurationPath;
  DiscImage image;  // the image the disc was read from, if it was one
  std::string vendorCountText;
  std::int32_t vendorCount = 0;
  std::vector<EntryReport> entries;

  std::vector<FleetConfiguration> configurations;  // in the order first met
  std::vector<FleetOutcome> outcomes;              // likewise
  MachineNames machines;
  std::vector<SkippedCapture> skipped;

  TextTable devices;  // first hardware IDs
  // The vendor ("VEN_8086", "other") of each device no started entry's
  // .inf serves, by its number; the others' are unset.
  TextTable vendors;
  std::vector<Number32> vendorOfDevice;
  TextTable notes;
  std::vector<Warning> warnings;  // of Pomvarin.ini, each once
  // The packages' warnings of no machine (broken packages, then VenIDs
  // against their packages), and those of machines (false starts, missed
  // drivers), each once in the order first met; their configuration is 0.
  std::vector<FleetWarning> discWarnings;
  std::vector<FleetWarning> machineWarnings;
  std::size_t infFiles = 0;
  std::vector<LocalisedStrings> localisedStrings;
};

}  // namespace pomvarin::check
