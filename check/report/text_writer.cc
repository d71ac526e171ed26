// The reports as plain text for people.
#include "check/capture/capture.h"
#include "check/report/outcome.h"
#include "check/report/report_writer.h"
#include "check/report/text_parts.h"
#include "launcher/launcher.h"

namespace pomvarin::check {

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

namespace {

void AppendWarnings(std::string& text, const std::vector<Warning>& warnings) {
  if (warnings.empty()) return;
  text += "\nWarnings: " + std::to_string(warnings.size()) + "\n";
  for (const Warning& warning : warnings) {
    text += "  [" + warning.section + "]";
    if (!warning.key.empty()) text += " " + warning.key;
    text += ": " + warning.message + "\n";
  }
}

}  // namespace

const char* KindLabel(FleetWarningKind kind) {
  switch (kind) {
    case FleetWarningKind::kVenIdMatchesNoPackage: return "VenID against its packages";
    case FleetWarningKind::kFalseStart: return "false start";
    case FleetWarningKind::kMissedDriver: return "missed driver";
    case FleetWarningKind::kBrokenInf: return "broken package";
  }
  return "";
}

std::string Machines(std::size_t count) {
  return std::to_string(count) + (count == 1 ? " machine" : " machines");
}

namespace {

// place: the machine, "machine NAME", or empty.
std::string Where(const FleetWarning& warning, const std::string& place) {
  std::string where;
  const auto add = [&](const std::string& value) {
    if (!value.empty()) where += (where.empty() ? "" : ", ") + value;
  };
  if (!warning.section.empty()) add("entry " + warning.section);
  if (warning.configuration) add(place);
  if (!warning.inf.empty()) add(".inf " + warning.inf);
  return where;
}

void AppendPackages(std::string& text, const std::string& place,
                    const FleetReport& packages) {
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
    if (unserved.empty()) text += "  none\n";
    for (const auto& [vendor, devices] : unserved) {
      text += "  " + vendor + ": ";
      for (std::size_t i = 0; i < devices.size(); ++i)
        text += (i > 0 ? ", " : "") + devices[i];
      text += "\n";
    }
  }
  if (packages.warnings.empty()) return;
  text += "\nPackage warnings: " + std::to_string(packages.warnings.size()) + "\n";
  for (const FleetWarning& warning : packages.warnings)
    text += std::string("  ") + KindLabel(warning.kind) + " (" +
            Where(warning, place) + "): " + warning.message + "\n";
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
    AppendPackages(text, name.empty() ? "" : "machine " + name, packages);
    return text;
  }

  std::string Fleet(const FleetResults& results) const override {
    return FleetText(results);
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

void AppendImage(std::string& text, const DiscImage& image) {
  if (image.file.empty()) return;
  text += "Image:        " + image.file + ", its " + image.tree +
          " tree as drive " + image.drive + ":\n";
  for (const std::string& skip : image.skips)
    text += "  not read: " + skip + "\n";
}

}  // namespace pomvarin::check
