// pomvarin-check's reports, one writer a format: plain text for people,
// JSON for tools. --json picks the writer once and every report of the run
// goes through it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "check/fleet/devices.h"
#include "check/report/results.h"

namespace pomvarin::check {

class ReportWriter {
 public:
  virtual ~ReportWriter() = default;

  // One machine's report, then what the disc's driver packages say of it.
  virtual std::string SingleMachine(const Configuration& machine,
                                    const DeviceSource& devices,
                                    const FleetReport& packages) const = 0;

  // The report over several machines: each configuration's outcome per
  // entry, the warnings of Pomvarin.ini (each once: see DistinctWarnings),
  // then the packages' part.
  virtual std::string Fleet(const std::vector<Configuration>& configurations,
                            const std::vector<SkippedCapture>& skipped,
                            const std::vector<Warning>& warnings,
                            const FleetReport& packages) const = 0;

  // The devices as --list prints them.
  virtual std::string DeviceList(const Devices& devices) const = 0;
};

std::unique_ptr<ReportWriter> MakeTextWriter();
std::unique_ptr<ReportWriter> MakeJsonWriter();

// What a capture could not tell of its devices, a line each. It is for
// people whatever the format, so --list shows it apart from the list.
std::string DeviceNotes(const Devices& devices);

}  // namespace pomvarin::check
