#include "check/report_format.h"

#include <algorithm>
#include <cstdio>

#include "check/report/outcome.h"
#include "launcher/launcher.h"

namespace pomvarin::check {

namespace {

// The length of the UTF-8 sequence at text[at], or 0 when there is none.
std::size_t Utf8SequenceLength(const std::string& text, std::size_t at) {
  const auto byte = [&](std::size_t i) {
    return static_cast<unsigned char>(text[i]);
  };
  const unsigned char lead = byte(at);
  std::size_t length;
  if (lead >= 0xC2 && lead <= 0xDF) length = 2;
  else if (lead >= 0xE0 && lead <= 0xEF) length = 3;
  else if (lead >= 0xF0 && lead <= 0xF4) length = 4;
  else return 0;
  if (at + length > text.size()) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return 0;
  }
  return length;
}

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

std::string JsonFiles(const std::vector<SetupFile>& files) {
  std::string json = "[";
  for (std::size_t i = 0; i < files.size(); ++i) {
    json += i > 0 ? ", " : "";
    json += "{\"path\": " + JsonString(files[i].path) +
            ", \"parameters\": " + JsonString(files[i].parameters) + "}";
  }
  return json + "]";
}

}  // namespace

std::string JsonString(const std::string& text) {
  std::string json = "\"";
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    char escape[8];
    if (c == '"' || c == '\\') {
      json += '\\';
      json += static_cast<char>(c);
    } else if (c < 0x20 || c == 0x7F) {
      std::snprintf(escape, sizeof escape, "\\u%04x", c);
      json += escape;
    } else if (c < 0x80) {
      json += static_cast<char>(c);
    } else if (const std::size_t length = Utf8SequenceLength(text, i)) {
      json += text.substr(i, length);
      i += length - 1;
    } else {
      std::snprintf(escape, sizeof escape, "\\u%04x", c);
      json += escape;
    }
  }
  return json + "\"";
}

std::string FormatText(const Report& report, const DeviceSource& devices) {
  std::string text = "Pomvarin.ini: " + report.configurationPath + "\n";
  text += "Devices:      " + std::to_string(devices.count) +
          (devices.capture.empty() ? " present" : " from " + devices.capture) +
          "\n";
  for (const std::string& note : devices.notes) text += "  note: " + note + "\n";
  text += "VendorCount:  " + std::to_string(report.vendorCount) + "\n";

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

  if (!report.warnings.empty()) {
    text += "\nWarnings: " + std::to_string(report.warnings.size()) + "\n";
    for (const Warning& warning : report.warnings) {
      text += "  [" + warning.section + "]";
      if (!warning.key.empty()) text += " " + warning.key;
      text += ": " + warning.message + "\n";
    }
  }

  text += "\nSummary: " + Summary(report) + "\n";
  return text;
}

std::string FormatJson(const Report& report, const DeviceSource& devices) {
  std::string json = "{\n";
  json += "  \"configuration\": " + JsonString(report.configurationPath) +
          ",\n";
  json += "  \"devices\": {\"source\": " +
          (devices.capture.empty() ? std::string("null")
                                   : JsonString(devices.capture)) +
          ", \"count\": " + std::to_string(devices.count) +
          ", \"notes\": " + JsonStrings(devices.notes) + "},\n";
  json += "  \"vendorCount\": {\"text\": " +
          JsonString(report.vendorCountText) +
          ", \"value\": " + std::to_string(report.vendorCount) + "},\n";
  json += "  \"entries\": [";
  for (std::size_t i = 0; i < report.entries.size(); ++i) {
    const EntryReport& entry = report.entries[i];
    json += i > 0 ? ",\n    {" : "\n    {";
    json += "\"section\": " + JsonString(entry.section);
    json += ", \"sectionPresent\": " +
            std::string(entry.sectionPresent ? "true" : "false");
    json += ", \"lastSection\": " +
            JsonString(kVendorSectionPrefix + std::to_string(entry.lastNumber));
    json += ", \"venName\": " + JsonString(entry.venName);
    json += ", \"venId\": [" + JsonString(entry.upperId) + ", " +
            JsonString(entry.lowerId) + "]";
    json += ", \"device\": " +
            (entry.matched ? JsonString(entry.device) : std::string("null"));
    json += ", \"root\": " + JsonString(entry.root);
    json += ", \"normal\": " + JsonFiles(entry.normal);
    json += ", \"silent\": " + JsonFiles(entry.silent) + "}";
  }
  json += report.entries.empty() ? "],\n" : "\n  ],\n";
  json += "  \"warnings\": [";
  for (std::size_t i = 0; i < report.warnings.size(); ++i) {
    const Warning& warning = report.warnings[i];
    json += i > 0 ? ",\n    {" : "\n    {";
    json += "\"section\": " + JsonString(warning.section) + ", \"key\": " +
            (warning.key.empty() ? std::string("null")
                                 : JsonString(warning.key)) +
            ", \"message\": " + JsonString(warning.message) + "}";
  }
  json += report.warnings.empty() ? "],\n" : "\n  ],\n";
  json += "  \"warningBox\": " + std::string(report.showsBox ? "true" : "false") +
          ",\n";
  json += "  \"summary\": " + JsonString(Summary(report)) + "\n}\n";
  return json;
}

}  // namespace pomvarin::check

namespace pomvarin::check {

namespace {

const char* KindLabel(FleetWarningKind kind) {
  switch (kind) {
    case FleetWarningKind::kVenIdMatchesNoPackage: return "VenID against its packages";
    case FleetWarningKind::kFalseStart: return "false start";
    case FleetWarningKind::kMissedDriver: return "missed driver";
    case FleetWarningKind::kBrokenInf: return "broken package";
  }
  return "";
}

const char* KindName(FleetWarningKind kind) {
  switch (kind) {
    case FleetWarningKind::kVenIdMatchesNoPackage: return "venIdMatchesNoPackage";
    case FleetWarningKind::kFalseStart: return "falseStart";
    case FleetWarningKind::kMissedDriver: return "missedDriver";
    case FleetWarningKind::kBrokenInf: return "brokenInf";
  }
  return "";
}

std::string JsonOrNull(const std::string& text) {
  return text.empty() ? std::string("null") : JsonString(text);
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

std::string SetupsOf(const EntryReport& entry) {
  std::string text;
  AppendFiles(text, "  normal: ", entry.normal);
  AppendFiles(text, "  silent: ", entry.silent);
  return text;
}

std::string Padded(const std::string& text, std::size_t width) {
  return text.size() >= width ? text + " " : text + std::string(width - text.size(), ' ');
}

}  // namespace

std::string JsonStrings(const std::vector<std::string>& items) {
  std::string json = "[";
  for (std::size_t i = 0; i < items.size(); ++i)
    json += (i > 0 ? ", " : "") + JsonString(items[i]);
  return json + "]";
}

std::string FormatPackagesText(const std::vector<Machine>& machines,
                               const FleetReport& fleet) {
  std::string text = "\nDriver packages: " + std::to_string(fleet.infFiles) +
                     " .inf files\n";
  text += "Devices no started entry's .inf serves:\n";
  for (std::size_t m = 0; m < machines.size() && m < fleet.machines.size(); ++m) {
    const auto& unserved = fleet.machines[m].unserved;
    if (machines.size() > 1) text += "  " + machines[m].name + ":";
    if (unserved.empty()) text += machines.size() > 1 ? " none\n" : "  none\n";
    else if (machines.size() > 1) text += "\n";
    for (const auto& [vendor, devices] : unserved) {
      text += machines.size() > 1 ? "    " : "  ";
      text += vendor + ": ";
      for (std::size_t i = 0; i < devices.size(); ++i)
        text += (i > 0 ? ", " : "") + devices[i];
      text += "\n";
    }
  }
  if (!fleet.warnings.empty()) {
    text += "\nPackage warnings: " + std::to_string(fleet.warnings.size()) + "\n";
    for (const FleetWarning& warning : fleet.warnings)
      text += std::string("  ") + KindLabel(warning.kind) + " (" +
              Where(warning) + "): " + warning.message + "\n";
  }
  return text;
}

namespace {

std::string PackagesJsonFields(const std::vector<Machine>& machines,
                               const FleetReport& fleet) {
  std::string json = "  \"infFiles\": " + std::to_string(fleet.infFiles) + ",\n";
  json += "  \"unserved\": [";
  for (std::size_t m = 0; m < machines.size() && m < fleet.machines.size(); ++m) {
    json += m > 0 ? ",\n    {" : "\n    {";
    json += "\"machine\": " + JsonString(machines[m].name) + ", \"byVendor\": {";
    bool first = true;
    for (const auto& [vendor, devices] : fleet.machines[m].unserved) {
      json += (first ? "" : ", ") + JsonString(vendor) + ": " + JsonStrings(devices);
      first = false;
    }
    json += "}}";
  }
  json += machines.empty() ? "],\n" : "\n  ],\n";
  json += "  \"packageWarnings\": [";
  for (std::size_t i = 0; i < fleet.warnings.size(); ++i) {
    const FleetWarning& warning = fleet.warnings[i];
    json += i > 0 ? ",\n    {" : "\n    {";
    json += std::string("\"kind\": \"") + KindName(warning.kind) + "\"" +
            ", \"section\": " + JsonOrNull(warning.section) +
            ", \"machine\": " + JsonOrNull(warning.machine) +
            ", \"device\": " + JsonOrNull(warning.device) +
            ", \"inf\": " + JsonOrNull(warning.inf) +
            ", \"message\": " + JsonString(warning.message) + "}";
  }
  json += fleet.warnings.empty() ? "]" : "\n  ]";
  return json;
}

}  // namespace

std::string AddPackagesJson(const std::string& reportJson,
                            const std::vector<Machine>& machines,
                            const FleetReport& fleet) {
  // The report's object, its closing brace moved after the new members.
  const std::size_t close = reportJson.rfind("\n}");
  return reportJson.substr(0, close) + ",\n" +
         PackagesJsonFields(machines, fleet) + "\n}\n";
}

std::string FormatFleetText(const std::vector<Machine>& machines,
                            const std::vector<SkippedCapture>& skipped,
                            const FleetReport& fleet) {
  const Report& first = machines.front().report;
  std::string text = "Pomvarin.ini: " + first.configurationPath + "\n";
  text += "Machines:     " + std::to_string(machines.size()) + "\n";
  for (const Machine& machine : machines) {
    text += "  " + machine.name + ": " +
            std::to_string(machine.devices.size()) +
            (machine.devices.size() == 1 ? " device\n" : " devices\n");
    for (const Device& device : machine.devices)
      if (!device.note.empty()) text += "    note: " + device.note + "\n";
  }
  for (const SkippedCapture& file : skipped)
    text += "  skipped " + file.reason + "\n";
  text += "VendorCount:  " + std::to_string(first.vendorCount) + "\n";

  for (const EntryReport& entry : first.entries) {
    text += "\n[" + entry.section + "] " + entry.venName;
    if (!entry.sectionPresent) text += " (section missing)";
    text += "\n  VenID:  " + entry.upperId + ", then " + entry.lowerId + "\n";
    text += "  root:   " + entry.root + "\n" + SetupsOf(entry);
  }

  std::size_t width = 9;  // "machine" and two blanks
  for (const Machine& machine : machines)
    width = std::max(width, machine.name.size() + 2);
  text += "\nMachine x entry (+ matched, - not):\n  " + Padded("machine", width);
  for (const EntryReport& entry : first.entries)
    text += Padded(entry.section, entry.section.size() + 2);
  text += "warning box\n";
  std::size_t boxes = 0;
  for (const Machine& machine : machines) {
    text += "  " + Padded(machine.name, width);
    for (const EntryReport& entry : machine.report.entries)
      text += Padded(entry.matched ? "+" : "-", entry.section.size() + 2);
    text += machine.report.showsBox ? "yes\n" : "no\n";
    boxes += machine.report.showsBox;
  }
  text += "Matched devices:\n";
  for (const Machine& machine : machines)
    for (const EntryReport& entry : machine.report.entries)
      if (entry.matched)
        text += "  " + machine.name + " [" + entry.section + "]: " +
                entry.device + "\n";

  const std::vector<Warning> warnings = DistinctWarnings(machines);
  if (!warnings.empty()) {
    text += "\nWarnings: " + std::to_string(warnings.size()) + "\n";
    for (const Warning& warning : warnings) {
      text += "  [" + warning.section + "]";
      if (!warning.key.empty()) text += " " + warning.key;
      text += ": " + warning.message + "\n";
    }
  }
  text += FormatPackagesText(machines, fleet);
  text += "\nSummary: " + std::to_string(machines.size()) + " machines; " +
          std::to_string(boxes) + " would show the warning box \"" +
          kWarningText + "\".\n";
  return text;
}

std::string FormatFleetJson(const std::vector<Machine>& machines,
                            const std::vector<SkippedCapture>& skipped,
                            const FleetReport& fleet) {
  const Report& first = machines.front().report;
  std::string json = "{\n";
  json += "  \"configuration\": " + JsonString(first.configurationPath) + ",\n";
  json += "  \"vendorCount\": {\"text\": " + JsonString(first.vendorCountText) +
          ", \"value\": " + std::to_string(first.vendorCount) + "},\n";
  json += "  \"skipped\": [";
  for (std::size_t i = 0; i < skipped.size(); ++i)
    json += (i > 0 ? ", " : "") + std::string("{\"file\": ") +
            JsonString(skipped[i].file) + ", \"reason\": " +
            JsonString(skipped[i].reason) + "}";
  json += "],\n  \"entries\": [";
  for (std::size_t i = 0; i < first.entries.size(); ++i) {
    const EntryReport& entry = first.entries[i];
    json += i > 0 ? ",\n    {" : "\n    {";
    json += "\"section\": " + JsonString(entry.section) +
            ", \"sectionPresent\": " + (entry.sectionPresent ? "true" : "false") +
            ", \"venName\": " + JsonString(entry.venName) +
            ", \"venId\": [" + JsonString(entry.upperId) + ", " +
            JsonString(entry.lowerId) + "], \"root\": " + JsonString(entry.root) +
            ", \"normal\": " + JsonFiles(entry.normal) +
            ", \"silent\": " + JsonFiles(entry.silent) + "}";
  }
  json += first.entries.empty() ? "],\n" : "\n  ],\n";
  json += "  \"machines\": [";
  for (std::size_t m = 0; m < machines.size(); ++m) {
    const Machine& machine = machines[m];
    json += m > 0 ? ",\n    {" : "\n    {";
    json += "\"name\": " + JsonString(machine.name) +
            ", \"devices\": " + std::to_string(machine.devices.size()) +
            ", \"warningBox\": " + (machine.report.showsBox ? "true" : "false") +
            ", \"entries\": [";
    for (std::size_t i = 0; i < machine.report.entries.size(); ++i) {
      const EntryReport& entry = machine.report.entries[i];
      json += (i > 0 ? ", " : "") + std::string("{\"section\": ") +
              JsonString(entry.section) + ", \"matched\": " +
              (entry.matched ? "true" : "false") + ", \"device\": " +
              (entry.matched ? JsonString(entry.device) : "null") +
              ", \"normal\": " + JsonFiles(entry.matched ? entry.normal : std::vector<SetupFile>{}) +
              ", \"silent\": " + JsonFiles(entry.matched ? entry.silent : std::vector<SetupFile>{}) + "}";
    }
    json += "]}";
  }
  json += "\n  ],\n  \"warnings\": [";
  const std::vector<Warning> warnings = DistinctWarnings(machines);
  for (std::size_t i = 0; i < warnings.size(); ++i) {
    json += i > 0 ? ",\n    {" : "\n    {";
    json += "\"section\": " + JsonString(warnings[i].section) + ", \"key\": " +
            JsonOrNull(warnings[i].key) + ", \"message\": " +
            JsonString(warnings[i].message) + "}";
  }
  json += warnings.empty() ? "],\n" : "\n  ],\n";
  return json + PackagesJsonFields(machines, fleet) + "\n}\n";
}

}  // namespace pomvarin::check
