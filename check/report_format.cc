#include "check/report_format.h"

#include <cstdio>

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

std::string Setups(std::int64_t count) {
  return count == 0 ? "no setup"
                    : std::to_string(count) + (count == 1 ? " setup" : " setups");
}

std::int64_t EntriesCovered(const EntryReport& entry) {
  return static_cast<std::int64_t>(entry.lastNumber) - entry.number + 1;
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

struct Totals {
  std::int64_t entries = 0;
  std::int64_t matched = 0;
  std::int64_t normalStarts = 0;
  std::int64_t silentStarts = 0;
};

Totals CountTotals(const Report& report) {
  Totals totals;
  for (const EntryReport& entry : report.entries) {
    const std::int64_t covered = EntriesCovered(entry);
    totals.entries += covered;
    if (!entry.matched) continue;
    totals.matched += covered;
    totals.normalStarts += covered * entry.normal.size();
    totals.silentStarts += covered * entry.silent.size();
  }
  return totals;
}

std::string Summary(const Report& report) {
  const Totals totals = CountTotals(report);
  std::string summary = std::to_string(totals.matched) + " of " +
                        std::to_string(totals.entries) +
                        (totals.entries == 1 ? " vendor entry" : " vendor entries") +
                        " match. The launcher would start " +
                        Setups(totals.normalStarts) + " (" +
                        std::to_string(totals.silentStarts) +
                        " with /s) and show ";
  summary += report.showsBox
                 ? std::string("the warning box \"") + kWarningText + "\"."
                 : std::string("no warning box.");
  return summary;
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
          ", \"count\": " + std::to_string(devices.count) + ", \"notes\": [";
  for (std::size_t i = 0; i < devices.notes.size(); ++i)
    json += (i > 0 ? ", " : "") + JsonString(devices.notes[i]);
  json += "]},\n";
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
