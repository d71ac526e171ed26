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
    text += files[i].path + " " + Parameters(files[i].parameters) + " (" +
            SetupKindName(files[i].kind) + ")\n";
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

// places: what a warning's configuration number stands for, from 1.
std::string Where(const FleetWarning& warning,
                  const std::vector<std::string>& places) {
  std::string where;
  const auto add = [&](const std::string& value) {
    if (!value.empty()) where += (where.empty() ? "" : ", ") + value;
  };
  if (!warning.section.empty()) add("entry " + warning.section);
  if (warning.configuration) add(places[warning.configuration - 1]);
  if (!warning.inf.empty()) add(".inf " + warning.inf);
  return where;
}

// places: "machine NAME" for a single machine's report, whose unserved
// devices need no name above them; "configuration N" for many.
void AppendPackages(std::string& text, const std::vector<std::string>& places,
                    bool many, const FleetReport& packages) {
  text += "\nDriver packages: " + std::to_string(packages.infFiles) +
          " .inf files\n";
  if (!packages.localisedStrings.empty())
    text += "Strings sections read where a package has localised ones (no "
            "locale is known):\n";
  for (const LocalisedStrings& strings : packages.localisedStrings)
    text += "  " + strings.inf + ": [" + strings.section + "]\n";
  text += "Devices no started entry's .inf serves:\n";
  for (std::size_t c = 0; c < packages.configurations.size(); ++c) {
    const auto& unserved = packages.configurations[c].unserved;
    if (many) text += "  " + places[c] + ":";
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
            Where(warning, places) + "): " + warning.message + "\n";
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

// How many machines of a configuration are named in text; JSON names all.
constexpr std::size_t kMachinesNamed = 5;

std::string Machines(std::size_t count) {
  return std::to_string(count) + (count == 1 ? " machine" : " machines");
}

// The first few of a configuration's machines, and how many more.
std::string MachineNames(const std::vector<std::string>& machines) {
  std::string names;
  for (std::size_t i = 0; i < machines.size() && i < kMachinesNamed; ++i)
    names += (i > 0 ? ", " : "") + machines[i];
  if (machines.size() > kMachinesNamed)
    names += " and " + std::to_string(machines.size() - kMachinesNamed) +
             " more";
  return names;
}

// The entries as every machine reads them, then a table of which matched
// on which configuration.
void AppendFleetEntries(std::string& text,
                        const std::vector<Configuration>& configurations,
                        const std::vector<std::string>& places) {
  const Report& first = configurations.front().report;
  for (const EntryReport& entry : first.entries) {
    text += "\n[" + entry.section + "] " + entry.venName;
    if (!entry.sectionPresent) text += " (section missing)";
    text += "\n  VenID:  " + entry.upperId + ", then " + entry.lowerId + "\n";
    text += "  root:   " + entry.root + "\n";
    AppendFiles(text, "  normal: ", entry.normal);
    AppendFiles(text, "  silent: ", entry.silent);
  }

  const std::size_t width = std::string("configuration").size() + 2;
  std::size_t countWidth = std::string("machines").size() + 2;
  for (const Configuration& configuration : configurations)
    countWidth = std::max(
        countWidth, std::to_string(configuration.machines.size()).size() + 2);
  text += "\nConfiguration x entry (+ matched, - not):\n  " +
          Padded("configuration", width) + Padded("machines", countWidth);
  for (const EntryReport& entry : first.entries)
    text += Padded(entry.section, entry.section.size() + 2);
  text += "warning box\n";
  for (std::size_t c = 0; c < configurations.size(); ++c) {
    const Configuration& configuration = configurations[c];
    text += "  " + Padded(std::to_string(c + 1), width) +
            Padded(std::to_string(configuration.machines.size()), countWidth);
    for (const EntryReport& entry : configuration.report.entries)
      text += Padded(entry.matched ? "+" : "-", entry.section.size() + 2);
    text += configuration.report.showsBox ? "yes\n" : "no\n";
  }
  text += "Matched devices:\n";
  for (std::size_t c = 0; c < configurations.size(); ++c)
    for (const EntryReport& entry : configurations[c].report.entries)
      if (entry.matched)
        text += "  " + places[c] + " [" + entry.section + "]: " +
                entry.device + "\n";
}

// Only a check of an image has these lines.
void AppendImage(std::string& text, const DiscImage& image) {
  if (image.file.empty()) return;
  text += "Image:        " + image.file + ", its " + image.tree +
          " tree as drive " + image.drive + ":\n";
  for (const std::string& skip : image.skips)
    text += "  not read: " + skip + "\n";
}

class TextWriter : public ReportWriter {
 public:
  std::string SingleMachine(const Configuration& machine,
                            const DeviceSource& devices,
                            const FleetReport& packages) const override {
    const Report& report = machine.report;
    std::string text = "Pomvarin.ini: " + report.configurationPath + "\n";
    AppendImage(text, report.image);
    text += "Devices:      " + std::to_string(devices.count) +
            (devices.capture.empty() ? " present" : " from " + devices.capture) +
            "\n";
    for (const std::string& note : devices.notes)
      text += "  note: " + note + "\n";
    text += "VendorCount:  " + std::to_string(report.vendorCount) + "\n";
    AppendEntries(text, report);
    AppendWarnings(text, report.warnings);
    text += "\nSummary: " + Summary(report) + "\n";
    const std::string& name = machine.machines[0];
    AppendPackages(text, {name.empty() ? "" : "machine " + name}, false,
                   packages);
    return text;
  }

  std::string Fleet(const std::vector<Configuration>& configurations,
                    const std::vector<SkippedCapture>& skipped,
                    const std::vector<Warning>& warnings,
                    const FleetReport& packages) const override {
    const Report& first = configurations.front().report;
    std::string text = "Pomvarin.ini: " + first.configurationPath + "\n";
    AppendImage(text, first.image);
    text += "Machines:     " + Machines(MachineCount(configurations)) +
            " in " + std::to_string(configurations.size()) +
            (configurations.size() == 1 ? " configuration\n"
                                        : " configurations\n");
    std::vector<std::string> places;
    for (std::size_t c = 0; c < configurations.size(); ++c) {
      const Configuration& configuration = configurations[c];
      places.push_back("configuration " + std::to_string(c + 1));
      text += "  " + places.back() + ": " +
              std::to_string(configuration.devices.size()) +
              (configuration.devices.size() == 1 ? " device; " : " devices; ") +
              Machines(configuration.machines.size()) + ": " +
              MachineNames(configuration.machines) + "\n";
      for (const Device& device : configuration.devices)
        if (!device.note.empty()) text += "    note: " + device.note + "\n";
    }
    for (const SkippedCapture& file : skipped)
      text += "  skipped " + file.reason + "\n";
    text += "VendorCount:  " + std::to_string(first.vendorCount) + "\n";
    AppendFleetEntries(text, configurations, places);
    AppendWarnings(text, warnings);
    AppendPackages(text, places, true, packages);
    text += "\nSummary: " + Machines(MachineCount(configurations)) + " in " +
            std::to_string(configurations.size()) +
            (configurations.size() == 1 ? " configuration; " : " configurations; ") +
            std::to_string(MachinesWithBox(configurations)) +
            " would show the warning box \"" + kWarningText + "\".\n";
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
