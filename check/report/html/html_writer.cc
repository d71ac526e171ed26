// The HTML page: its head, the summary, the matrix of configurations and
// entries, the entries, and the warnings. Each configuration's own part is
// in html_configurations.cc.
#include "check/report/html/html_writer.h"

#include <array>
#include <map>
#include <utility>

#include "check/report/html/html_parts.h"
#include "check/report/html/html_style.h"
#include "check/report/html/html_text.h"
#include "check/report/outcome.h"
#include "launcher/launcher.h"
#include "pomvarin_version.h"

namespace pomvarin::check {

namespace {

using KindCounts = std::array<std::size_t, std::size(kWarningKinds)>;

std::size_t KindIndex(FleetWarningKind kind) {
  return static_cast<std::size_t>(&KindOf(kind) - kWarningKinds);
}

}  // namespace

// The page's head: nothing may be fetched, and no script may run, so that
// a text that escaped its escaping could still do nothing.
void AppendHead(std::string& html, const std::string& disc) {
  html +=
      "<!DOCTYPE html>\n<html lang=en>\n<head>\n<meta charset=utf-8>\n"
      "<meta http-equiv=Content-Security-Policy content=\"default-src 'none'; "
      "style-src 'unsafe-inline'\">\n"
      "<meta name=viewport content=\"width=device-width\">\n"
      "<title>pomvarin-check: " + Html(disc) + "</title>\n<style>" +
      kPageStyle + "</style>\n</head>\n<body>\n";
}

void Term(std::string& html, const char* term, const std::string& value) {
  html += std::string("<dt>") + term + "</dt><dd>" + value + "</dd>\n";
}

namespace {

void AppendSummary(std::string& html, const PageInput& input,
                   const KindCounts& kinds) {
  const std::vector<Configuration>& configurations = input.configurations;
  const Report& first = configurations.front().report;
  html += "<h1>What the launcher would do with <span class=path>" +
          Html(first.configurationPath) + "</span></h1>\n";
  html += "<p class=quiet>Checked " + Html(input.checkedAt) +
          " by pomvarin-check " POMVARIN_VERSION ".</p>\n";
  html += "<h2 id=summary>Summary</h2>\n<dl class=summary>\n";
  Term(html, "VendorCount",
       Html(first.vendorCountText) + " (read as " +
           std::to_string(first.vendorCount) + ")");
  const DeviceSource& devices = *input.single;
  Term(html, "Devices",
       Number(devices.count) +
           (devices.capture.empty()
                ? " present"
                : " from <span class=path>" + Html(devices.capture) + "</span>"));
  Term(html, "Outcome", Html(Summary(first)));
  Term(html, "Warnings of Pomvarin.ini",
       "<a href=\"#warnings\">" + Number(input.warnings.size()) + "</a>");
  std::string byKind = "<a href=\"#package-warnings\">" +
                       Number(input.packages.warnings.size()) + "</a>";
  const char* separator = " (";
  for (const WarningKind& kind : kWarningKinds)
    if (kinds[KindIndex(kind.kind)]) {
      byKind += separator + Number(kinds[KindIndex(kind.kind)]) + " " + kind.label;
      separator = ", ";
    }
  Term(html, "Package warnings", byKind + (input.packages.warnings.empty() ? "" : ")"));
  Term(html, "Driver packages",
       Counted(input.packages.infFiles, ".inf file", ".inf files"));
  for (const SkippedCapture& file : input.skipped)
    Term(html, "Skipped", Html(file.reason));
  html += "</dl>\n";
}

// A cell of the matrix: matched or not, by symbol and word as well as by
// colour, the matched device on hover, and the cell's package warnings.
std::string MatrixCell(const EntryReport& entry, const KindCounts* flags) {
  std::string cell =
      entry.matched ? "<td class=matched title=\"" + Html(entry.device) +
                          "\">&#10003; matched"
                    : std::string("<td class=missed>&#10007; not matched");
  if (flags)
    for (const WarningKind& kind : kWarningKinds)
      if (const std::size_t count = (*flags)[KindIndex(kind.kind)])
        cell += "<span class=flag>&#9888; " +
                (count > 1 ? std::to_string(count) + " " : "") + kind.label +
                "</span>";
  return cell + "</td>";
}

void AppendMatrix(std::string& html, const PageInput& input) {
  const std::vector<Configuration>& configurations = input.configurations;
  // The package warnings of each cell, by configuration and entry.
  std::map<std::pair<std::size_t, std::string>, KindCounts> flags;
  for (const FleetWarning& warning : input.packages.warnings)
    if (warning.configuration && !warning.section.empty())
      ++flags[{warning.configuration, warning.section}][KindIndex(warning.kind)];
  html += "<h2 id=matrix>Configurations &#215; entries</h2>\n"
          "<p class=legend>&#10003; matched (hover over the cell for the "
          "device; each configuration below lists it), &#10007; not matched, "
          "&#9888; a package warning on the cell.</p>\n"
          "<div class=wide><table class=matrix><thead><tr><th>Configuration</th>"
          "<th>Machines</th>";
  for (const EntryReport& entry : configurations.front().report.entries)
    html += "<th>" + Html(entry.section) + "<br><small>" + Html(entry.venName) +
            "</small></th>";
  html += "<th>Warning box</th></tr></thead><tbody>\n";
  for (std::size_t c = 0; c < configurations.size(); ++c) {
    const Configuration& configuration = configurations[c];
    html += "<tr><th scope=row>" + ConfigurationLink(c + 1) + "</th><td>" +
            Number(configuration.machines.size()) + "</td>";
    for (const EntryReport& entry : configuration.report.entries) {
      const auto found = flags.find({c + 1, entry.section});
      html += MatrixCell(entry, found == flags.end() ? nullptr : &found->second);
    }
    html += configuration.report.showsBox ? "<td class=box>&#9888; yes</td>"
                                          : "<td>no</td>";
    html += "</tr>\n";
  }
  html += "</tbody></table></div>\n";
}

// The entries as every machine reads them, with what each would start.
void AppendEntries(std::string& html, const PageInput& input) {
  html += std::string("<h2 id=entries>Entries</h2>\n<table><thead><tr>"
                      "<th>Entry</th><th>VenName</th><th>VenID</th><th>Root</th>") +
          kSetupHeadings + "</tr></thead><tbody>\n";
  for (const EntryReport& entry : input.configurations.front().report.entries) {
    std::string section = Html(entry.section);
    if (!entry.sectionPresent) {
      section += "<br><small>section missing";
      if (entry.lastNumber > entry.number)
        section += "; so are VendorInfo" + std::to_string(entry.number + 1) +
                   " to VendorInfo" + std::to_string(entry.lastNumber) +
                   ", which read alike";
      section += "</small>";
    }
    const std::string span = SetupRowCount(entry);
    html += SetupRows("<th scope=row rowspan=" + span + ">" + section +
                          "</th><td rowspan=" + span + ">" +
                          Html(entry.venName) + "</td><td rowspan=" + span +
                          " class=id>" + Html(entry.upperId) + ", then " +
                          Html(entry.lowerId) + "</td><td rowspan=" + span +
                          " class=path>" + Html(entry.root) + "</td>",
                      entry);
  }
  html += "</tbody></table>\n";
}

void AppendWarnings(std::string& html, const PageInput& input,
                    const KindCounts& kinds) {
  html += "<h2 id=warnings>Warnings of Pomvarin.ini</h2>\n";
  if (input.warnings.empty()) html += "<p>None.</p>\n";
  else html += "<table><thead><tr><th>Section</th><th>Key</th><th>Warning</th>"
               "</tr></thead><tbody>\n";
  for (const Warning& warning : input.warnings)
    html += "<tr><td>" + Html(warning.section) + "</td><td>" +
            Html(warning.key) + "</td><td>" + Html(warning.message) +
            "</td></tr>\n";
  if (!input.warnings.empty()) html += "</tbody></table>\n";

  html += "<h2 id=package-warnings>Package warnings</h2>\n";
  if (input.packages.warnings.empty()) {
    html += "<p>None.</p>\n";
    return;
  }
  html += "<p class=filter>Show: <label><input type=radio name=kind "
          "id=kind-all checked> all</label>";
  for (const WarningKind& kind : kWarningKinds)
    if (kinds[KindIndex(kind.kind)])
      html += std::string("<label><input type=radio name=kind id=kind-") +
              kind.name + "> " + kind.label + "</label>";
  html += "</p>\n<table class=kinds><thead><tr><th>Kind</th><th>Entry</th>"
          "<th>Configuration</th><th>Device</th><th>.inf</th><th>Message</th>"
          "</tr></thead><tbody>\n";
  for (const FleetWarning& warning : input.packages.warnings)
    html += PackageWarningRow(warning, nullptr);
  html += "</tbody></table>\n";
}

std::string Page(const PageInput& input) {
  KindCounts kinds{};
  for (const FleetWarning& warning : input.packages.warnings)
    ++kinds[KindIndex(warning.kind)];
  std::string html;
  AppendHead(html, input.configurations.front().report.configurationPath);
  AppendSummary(html, input, kinds);
  AppendMatrix(html, input);
  AppendEntries(html, input);
  AppendConfigurations(html, input);
  AppendWarnings(html, input, kinds);
  return html + "</body>\n</html>\n";
}

}  // namespace

std::string HtmlSingleMachine(const Configuration& machine,
                              const DeviceSource& devices,
                              const FleetReport& packages,
                              const std::string& checkedAt) {
  const std::vector<Configuration> configurations{machine};
  const std::vector<SkippedCapture> none;
  return Page({configurations, none, machine.report.warnings, packages,
               &devices, checkedAt});
}


}  // namespace pomvarin::check
