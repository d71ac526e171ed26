// The HTML page's part on each configuration, and the pieces of rows that
// the page's other parts share.
#include <algorithm>

#include "check/report/html/html_parts.h"
#include "check/report/html/html_text.h"

namespace pomvarin::check {

namespace {

// The entries that matched on the configuration, with what they start.
void AppendStarts(std::string& html, const Report& report) {
  std::string rows;
  for (const EntryReport& entry : report.entries) {
    if (!entry.matched) continue;
    const std::string span = SetupRowCount(entry);
    rows += SetupRows("<th scope=row rowspan=" + span + ">" +
                          Html(entry.section) + "<br><small>" +
                          Html(entry.venName) + "</small></th><td rowspan=" +
                          span + " class=id>" + Html(entry.device) + "</td>",
                      entry);
  }
  if (rows.empty()) {
    html += "<p>No entry matched: the launcher shows the warning box.</p>\n";
    return;
  }
  html += std::string("<table><thead><tr><th>Entry</th><th>Matched device</th>") +
          kSetupHeadings + "</tr></thead><tbody>\n" + rows + "</tbody></table>\n";
}

void AppendUnserved(std::string& html, const Coverage& coverage) {
  html += "<h4>Devices no started entry's .inf serves</h4>\n";
  if (coverage.unserved.empty()) {
    html += "<p>None.</p>\n";
    return;
  }
  html += "<ul>\n";
  for (const auto& [vendor, devices] : coverage.unserved) {
    html += "<li>" + Html(vendor) + ": <span class=id>";
    for (std::size_t i = 0; i < devices.size(); ++i)
      html += (i > 0 ? ", " : "") + Html(devices[i]);
    html += "</span></li>\n";
  }
  html += "</ul>\n";
}

}  // namespace

const WarningKind kWarningKinds[4] = {
    {FleetWarningKind::kVenIdMatchesNoPackage, "venIdMatchesNoPackage",
     "VenID against its packages"},
    {FleetWarningKind::kFalseStart, "falseStart", "false start"},
    {FleetWarningKind::kMissedDriver, "missedDriver", "missed driver"},
    {FleetWarningKind::kBrokenInf, "brokenInf", "broken package"},
};

const WarningKind& KindOf(FleetWarningKind kind) {
  for (const WarningKind& known : kWarningKinds)
    if (known.kind == kind) return known;
  return kWarningKinds[0];
}

std::string Number(std::size_t count) {
  std::string digits = std::to_string(count);
  for (std::size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, ",");
  return digits;
}

std::string Counted(std::size_t count, const char* one, const char* many) {
  return Number(count) + " " + (count == 1 ? one : many);
}

std::string ConfigurationLink(std::size_t configuration) {
  const std::string number = std::to_string(configuration);
  return "<a href=\"#c" + number + "\">" + number + "</a>";
}

namespace {

// The cells of one setup: its mode, file and parameters; file is null for a
// mode that starts nothing.
std::string SetupCells(const char* mode, const SetupFile* file) {
  if (!file)
    return std::string("<td>") + mode + "</td><td colspan=" +
           std::to_string(kSetupColumns - 1) + " class=quiet>not found</td>";
  return std::string("<td>") + mode + "</td><td class=path>" +
         Html(file->path) + "</td>" +
         (file->parameters.empty()
              ? "<td class=quiet>none</td>"
              : "<td class=path>" + Html(file->parameters) + "</td>") +
         "<td>" + SetupKindName(file->kind) + "</td>";
}

}  // namespace

std::string SetupRowCount(const EntryReport& entry) {
  return std::to_string(std::max<std::size_t>(entry.normal.size(), 1) +
                        std::max<std::size_t>(entry.silent.size(), 1));
}

std::string SetupRows(const std::string& lead, const EntryReport& entry) {
  std::string rows, row = "<tr>" + lead;
  for (const auto& [mode, files] :
       {std::pair{"normal", &entry.normal}, {"silent", &entry.silent}}) {
    if (files->empty()) rows += row + SetupCells(mode, nullptr) + "</tr>\n";
    for (const SetupFile& file : *files) {
      rows += row + SetupCells(mode, &file) + "</tr>\n";
      row = "<tr>";
    }
    row = "<tr>";
  }
  return rows;
}

std::string PackageWarningRow(const FleetWarning& warning,
                              const std::string* machines) {
  const WarningKind& kind = KindOf(warning.kind);
  std::string row = std::string("<tr class=") + kind.name + "><td>" +
                    kind.label + "</td><td>" + Html(warning.section) + "</td>";
  if (machines) row += "<td>" + *machines + "</td>";
  return row + "<td class=id>" + Html(warning.device) + "</td><td class=path>" +
         Html(warning.inf) + "</td><td>" + Html(warning.message) +
         "</td></tr>\n";
}

void AppendConfigurations(std::string& html, const PageInput& input) {
  const std::vector<Configuration>& configurations = input.configurations;
  html += "<h2 id=machine>The machine</h2>\n";
  // Each configuration's package warnings, sorted out in one pass.
  std::vector<std::string> rows(configurations.size());
  for (const FleetWarning& warning : input.packages.warnings)
    if (warning.configuration && warning.configuration <= rows.size())
      rows[warning.configuration - 1] += PackageWarningRow(warning, nullptr);
  for (std::size_t c = 0; c < configurations.size(); ++c) {
    const Configuration& configuration = configurations[c];
    html += "<section id=c" + std::to_string(c + 1) + ">\n<h3>";
    html += configuration.machines[0].empty()
                ? "This machine's devices"
                : "Machine " + Html(configuration.machines[0]);
    html += ", " + Counted(configuration.devices.size(), "device", "devices") +
            (configuration.report.showsBox ? ", shows the warning box" : "") +
            "</h3>\n";
    for (const Device& device : configuration.devices)
      if (!device.note.empty())
        html += "<p class=quiet>Note: " + Html(device.note) + "</p>\n";
    AppendStarts(html, configuration.report);
    if (!rows[c].empty())
      html += "<h4>Its missed drivers and false starts</h4>\n<table><thead>"
              "<tr><th>Kind</th><th>Entry</th><th>Device</th><th>.inf</th>"
              "<th>Message</th></tr></thead><tbody>\n" +
              rows[c] + "</tbody></table>\n";
    if (c < input.packages.configurations.size())
      AppendUnserved(html, input.packages.configurations[c]);
    html += "</section>\n";
  }
}

}  // namespace pomvarin::check
