// The parts the HTML page is made of, shared by the files that write them.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "check/report/results.h"

namespace pomvarin::check {

// The results one machine's page is written from.
struct PageInput {
  const std::vector<Configuration>& configurations;
  const std::vector<SkippedCapture>& skipped;
  const std::vector<Warning>& warnings;  // of Pomvarin.ini
  const FleetReport& packages;
  const DeviceSource* single;  // the machine's devices
  std::string checkedAt;
};

struct WarningKind {
  FleetWarningKind kind;
  const char* name;   // as JSON has it; also the rows' class
  const char* label;  // for people
};

const WarningKind& KindOf(FleetWarningKind kind);
extern const WarningKind kWarningKinds[4];

// The page's head, up to its body's start.
void AppendHead(std::string& html, const std::string& disc);

// A term of the summary's list and its value.
void Term(std::string& html, const char* term, const std::string& value);

// A count with its thousands apart, as "100,000".
std::string Number(std::size_t count);

// "1 machine", "100,000 machines".
std::string Counted(std::size_t count, const char* one, const char* many);

// Where the configuration numbered from 1 is, as a link into the page.
std::string ConfigurationLink(std::size_t configuration);

// The columns of a setup, the same wherever setups are listed: a fact more
// of each setup is a heading here and a cell in SetupRows.
constexpr char kSetupHeadings[] =
    "<th>Mode</th><th>File</th><th>Parameters</th><th>Kind</th>";
constexpr int kSetupColumns = 4;

// The rows of an entry's setups, one a file that would start with its mode,
// file and parameters, and one for a mode that starts nothing. The first
// row begins with lead: cells that span them all (SetupRowCount).
std::string SetupRows(const std::string& lead, const EntryReport& entry);
std::string SetupRowCount(const EntryReport& entry);

// A package warning as a row: its kind, entry, device, .inf and message;
// a fleet's adds a cell after the entry (machines: its text).
std::string PackageWarningRow(const FleetWarning& warning,
                              const std::string* machines);

// Each configuration's machines, what starts on them, its package warnings
// and its devices that no started entry's .inf serves.
void AppendConfigurations(std::string& html, const PageInput& input);

}  // namespace pomvarin::check
