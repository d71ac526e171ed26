// The reports as plain text for people.
#include <algorithm>

#include "check/capture/capture.h"
#include "check/report/outcome.h"
#include "check/report/report_writer.h"
#include "launcher/launcher.h"

namespace pomvarin::check {

namespace {

std::string Parameters(const std::string& parameters) {
  return parameters.empty() ? "with no parameters"
                            : "with \"" + parameters + "\"";
}

void AppendFiles(std::string& text, const char* label,
                 const std::vector<SetupFile>& files) {
  text += "  ";
  text += label;
  if (files.empty()) text += "not found\n";
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (i > 0) text += "            ";
    text += files[i].path + " " + Parameters(files[i].parameters) + "\n";
  }
}

void AppendWarnings(std::string& text, const std::vector<Warning>& warnings) {
  if (warnings.empty()) return;
  text += "\nWarnings: " + std::to_string(warnings.size()) + "\n";
  for (const Warning& warning : warnings) {
    text += "  [" + warning.section + "]";
    if (!warning.key.empty()) text += " " + warning.key;
    text += ": " + warning.message + "\n";
  }
}

const char* KindLabel(FleetWarningKind kind) {
  switch (kind) {
    case FleetWarningKind::kVenIdMatchesNoPackage: return "VenID against its packages";
    case FleetWarningKind::kFalseStart: return "false start";
    case FleetWarningKind::kMissedDriver: return "missed driver";
    case FleetWarningKind::kBrokenInf: return "broken package";
  }
  return "";
}

std::string Where(const FleetWarning& warning) {
  std::string where;
  const auto add = [&](const char* label, const std::string& value) {
    if (!value.empty()) where += (where.empty() ? "" : ", ") + (label + value);
  };
  add("entry ", warning.section);
  add("machine ", warning.machine);
  add(".inf ", warning.inf);
  return where;
}

// With one machine its unserved devices need no name above them.
void AppendPackages(std::string& text, const std::vector<std::string>& names,
                    const FleetReport& packages) {
  text += "\nDriver packages: " + std::to_string(packages.infFiles) +
          " .inf files\n";
  text += "Devices no started entry's .inf serves:\n";
  const bool many = names.size() > 1;
  for (std::size_t m = 0; m < names.size() && m < packages.machines.size(); ++m) {
    const auto& unserved = packages.machines[m].unserved;
    if (many) text += "  " + names[m] + ":";
    if (unserved.empty()) text += many ? " none\n" : "  none\n";
    else if (many) text += "\n";
    for (const auto& [vendor, devices] : unserved) {
      text += many ? "    " : "  ";
      text += vendor + ": ";
      for (std::size_t i = 0; i < devices.size(); ++i)
        text += (i > 0 ? ", " : "") + devices[i];
      text += "\n";
    }
  }
  if (packages.warnings.empty()) return;
  text += "\nPackage warnings: " + std::to_string(packages.warnings.size()) + "\n";
  for (const FleetWarning& warning : packages.warnings)
    text += std::string("  ") + KindLabel(warning.kind) + " (" +
            Where(warning) + "): " + warning.message + "\n";
}

std::string Padded(const std::string& text, std::size_t width) {
  return text.size() >= width ? text + " " : text + std::string(width - text.size(), ' ');
}

void AppendEntries(std::string& text, const Report& report) {
  for (const EntryReport& entry : report.entries) {
    text += "\n[" + entry.section + "] " + entry.venName;
    if (!entry.sectionPresent) {
      text += " (section missing";
      if (entry.lastNumber > entry.number)
        text += "; so are VendorInfo" + std::to_string(entry.number + 1) +
                " to VendorInfo" + std::to_string(entry.lastNumber) +
                ", which read alike";
      text += ")";
    }
    text += "\n  VenID:    " + entry.upperId + ", then " + entry.lowerId + "\n";
    text += "  device:   " + (entry.matched ? entry.device : "no match") + "\n";
    text += "  root:     " + entry.root + "\n";
    AppendFiles(text, "normal:   ", entry.normal);
    AppendFiles(text, "silent:   ", entry.silent);
  }
}

// The entries as every machine reads them, then a table of which matched
// where.
void AppendFleetEntries(std::string& text, const std::vector<Machine>& machines) {
  const Report& first = machines.front().report;
  for (const EntryReport& entry : first.entries) {
    text += "\n[" + entry.section + "] " + entry.venName;
    if (!entry.sectionPresent) text += " (section missing)";
    text += "\n  VenID:  " + entry.upperId + ", then " + entry.lowerId + "\n";
    text += "  root:   " + entry.root + "\n";
    AppendFiles(text, "  normal: ", entry.normal);
    AppendFiles(text, "  silent: ", entry.silent);
  }

  std::size_t width = 9;  // "machine" and two blanks
  for (const Machine& machine : machines)
    width = std::max(width, machine.name.size() + 2);
  text += "\nMachine x entry (+ matched, - not):\n  " + Padded("machine", width);
  for (const EntryReport& entry : first.entries)
    text += Padded(entry.section, entry.section.size() + 2);
  text += "warning box\n";
  for (const Machine& machine : machines) {
    text += "  " + Padded(machine.name, width);
    for (const EntryReport& entry : machine.report.entries)
      text += Padded(entry.matched ? "+" : "-", entry.section.size() + 2);
    text += machine.report.showsBox ? "yes\n" : "no\n";
  }
  text += "Matched devices:\n";
  for (const Machine& machine : machines)
    for (const EntryReport& entry : machine.report.entries)
      if (entry.matched)
        text += "  " + machine.name + " [" + entry.section + "]: " +
                entry.device + "\n";
}

class TextWriter : public ReportWriter {
 public:
  std::string SingleMachine(const Machine& machine, const DeviceSource& devices,
                            const FleetReport& packages) const override {
    const Report& report = machine.report;
    std::string text = "Pomvarin.ini: " + report.configurationPath + "\n";
    text += "Devices:      " + std::to_string(devices.count) +
            (devices.capture.empty() ? " present" : " from " + devices.capture) +
            "\n";
    for (const std::string& note : devices.notes)
      text += "  note: " + note + "\n";
    text += "VendorCount:  " + std::to_string(report.vendorCount) + "\n";
    AppendEntries(text, report);
    AppendWarnings(text, report.warnings);
    text += "\nSummary: " + Summary(report) + "\n";
    AppendPackages(text, {machine.name}, packages);
    return text;
  }

  std::string Fleet(const std::vector<Machine>& machines,
                    const std::vector<SkippedCapture>& skipped,
                    const std::vector<Warning>& warnings,
                    const FleetReport& packages) const override {
    const Report& first = machines.front().report;
    std::string text = "Pomvarin.ini: " + first.configurationPath + "\n";
    text += "Machines:     " + std::to_string(machines.size()) + "\n";
    std::vector<std::string> names;
    std::size_t boxes = 0;
    for (const Machine& machine : machines) {
      text += "  " + machine.name + ": " +
              std::to_string(machine.devices.size()) +
              (machine.devices.size() == 1 ? " device\n" : " devices\n");
      for (const Device& device : machine.devices)
        if (!device.note.empty()) text += "    note: " + device.note + "\n";
      names.push_back(machine.name);
      boxes += machine.report.showsBox;
    }
    for (const SkippedCapture& file : skipped)
      text += "  skipped " + file.reason + "\n";
    text += "VendorCount:  " + std::to_string(first.vendorCount) + "\n";
    AppendFleetEntries(text, machines);
    AppendWarnings(text, warnings);
    AppendPackages(text, names, packages);
    text += "\nSummary: " + std::to_string(machines.size()) + " machines; " +
            std::to_string(boxes) + " would show the warning box \"" +
            kWarningText + "\".\n";
    return text;
  }

  // The list is a capture in its own form, written where that form is read.
  std::string DeviceList(const Devices& devices) const override {
    return FormatDeviceList(devices);
  }
};

}  // namespace

std::unique_ptr<ReportWriter> MakeTextWriter() {
  return std::make_unique<TextWriter>();
}

std::string DeviceNotes(const Devices& devices) {
  std::string text;
  for (const Device& device : devices)
    if (!device.note.empty()) text += "note: " + device.note + "\n";
  return text;
}

}  // namespace pomvarin::check
