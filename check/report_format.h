// pomvarin-check's output: plain text for people, JSON for tools.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "check/check.h"
#include "check/fleet.h"
#include "check/report/results.h"

namespace pomvarin::check {

std::string FormatText(const Report& report, const DeviceSource& devices);
std::string FormatJson(const Report& report, const DeviceSource& devices);

// What the disc's driver packages say of the machines: added after the
// report of a single machine, text or JSON.
std::string FormatPackagesText(const std::vector<Machine>& machines,
                               const FleetReport& fleet);
std::string AddPackagesJson(const std::string& reportJson,
                            const std::vector<Machine>& machines,
                            const FleetReport& fleet);

// The report over several machines: each machine's outcome per entry,
// the configuration's warnings once, then the packages' part.
std::string FormatFleetText(const std::vector<Machine>& machines,
                            const std::vector<SkippedCapture>& skipped,
                            const FleetReport& fleet);
std::string FormatFleetJson(const std::vector<Machine>& machines,
                            const std::vector<SkippedCapture>& skipped,
                            const FleetReport& fleet);

// text as a JSON string, quotes included. Bytes that are not UTF-8 (a
// Windows code page's letters) are written as the characters of the same
// number.
std::string JsonString(const std::string& text);

// items as a JSON array of strings, on one line.
std::string JsonStrings(const std::vector<std::string>& items);

}  // namespace pomvarin::check
