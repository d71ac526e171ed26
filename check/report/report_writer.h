// pomvarin-check's reports, one writer a format: plain text for people,
// JSON for tools. --json picks the writer once and every report of the run
// goes through it.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "check/fleet/devices.h"
#include "check/report/fleet_results.h"
#include "check/report/results.h"

namespace pomvarin::check {

class ReportWriter {
 public:
  virtual ~ReportWriter() = default;

  // One machine's report, then what the disc's driver packages say of it.
  virtual std::string SingleMachine(const Configuration& machine,
                                    const DeviceSource& devices,
                                    const FleetReport& packages) const = 0;

  // The report over several machines: the entries over all machines, the
  // outcomes, the configurations, the warnings, then the packages' part.
  virtual std::string Fleet(const FleetResults& results) const = 0;

  // The devices as --list prints them.
  virtual std::string DeviceList(const Devices& devices) const = 0;
};

std::unique_ptr<ReportWriter> MakeTextWriter();
std::unique_ptr<ReportWriter> MakeJsonWriter();

// --json-lines: one JSON object a line for each machine, in the order read,
// handed to write a few lines at a time.
void WriteJsonLines(const FleetResults& results,
                    const std::function<void(const std::string&)>& write);

// What a capture could not tell of its devices, a line each. It is for
// people whatever the format, so --list shows it apart from the list.
std::string DeviceNotes(const Devices& devices);

}  // namespace pomvarin::check
