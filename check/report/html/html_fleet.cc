// The HTML page over many machines: the summary, the entries over all
// machines, the matrix of outcomes and entries and each outcome; the rest
// is in html_fleet_lists.cc. Lists that grow with the machines are folded
// past a limit; --json has them all.
#include <map>

#include "check/report/html/html_fleet_parts.h"
#include "check/report/html/html_text.h"
#include "check/report/html/html_writer.h"
#include "launcher/launcher.h"
#include "pomvarin_version.h"

namespace pomvarin::check {

namespace {

constexpr std::size_t kNamesShown = 100;
constexpr std::size_t kOutcomesShown = 100;

void AppendSummary(std::string& html, const FleetResults& results,
                   const FleetTallies& tallies, const std::string& checkedAt) {
  html += "<h1>What the launcher would do with <span class=path>" +
          Html(results.configurationPath) + "</span></h1>\n";
  html += "<p class=quiet>Checked " + Html(checkedAt) +
          " by pomvarin-check " POMVARIN_VERSION ".</p>\n";
  html += "<h2 id=summary>Summary</h2>\n<dl class=summary>\n";
  Term(html, "VendorCount",
       Html(results.vendorCountText) + " (read as " +
           std::to_string(results.vendorCount) + ")");
  Term(html, "Machines",
       MachinesText(tallies.machines) + " in " +
           Counted(results.configurations.size(), "configuration",
                   "configurations") +
           ", " + Counted(results.outcomes.size(), "outcome", "outcomes"));
  Term(html, "Warning box",
       MachinesText(tallies.machinesWithBox) + " would show \"" + kWarningText + "\"");
  Term(html, "Warnings of Pomvarin.ini",
       "<a href=\"#warnings\">" + Number(results.warnings.size()) + "</a>");
  Term(html, "Package warnings",
       "<a href=\"#package-warnings\">" +
           Number(results.discWarnings.size() + results.machineWarnings.size()) +
           "</a>");
  Term(html, "Driver packages", Counted(results.infFiles, ".inf file", ".inf files"));
  for (const SkippedCapture& file : results.skipped)
    Term(html, "Skipped", Html(file.reason));
  html += "</dl>\n";
}

void AppendEntries(std::string& html, const FleetResults& results,
                   const FleetTallies& tallies) {
  html += std::string("<h2 id=entries>Entries</h2>\n<table><thead><tr>"
                      "<th>Entry</th><th>VenName</th><th>VenID</th><th>Root</th>"
                      "<th>Matches on</th><th>Matched by</th>") +
          kSetupHeadings + "</tr></thead><tbody>\n";
  for (std::size_t e = 0; e < results.entries.size(); ++e) {
    const EntryReport& entry = results.entries[e];
    const EntryTally& tally = tallies.entries[e];
    std::string section = Html(entry.section);
    if (!entry.sectionPresent) section += "<br><small>section missing</small>";
    const std::string span = " rowspan=" + SetupRowCount(entry);
    html += SetupRows(
        "<th scope=row" + span + ">" + section + "</th><td" + span + ">" +
            Html(entry.venName) + "</td><td" + span + " class=id>" +
            Html(entry.upperId) + ", then " + Html(entry.lowerId) + "</td><td" +
            span + " class=path>" + Html(entry.root) + "</td><td" + span + ">" +
            MachinesText(tally.machines) + "<br><small>" +
            Counted(tally.outcomes, "outcome", "outcomes") + "</small></td><td" +
            span + ">" + DeviceCounts(results, tally.devices) + "</td>",
        entry);
  }
  html += "</tbody></table>\n";
}

// Each outcome's package warnings by entry and kind: those of its
// configurations, each once.
std::vector<std::map<std::size_t, KindCounts>> OutcomeFlags(
    const FleetResults& results) {
  std::vector<std::map<std::size_t, KindCounts>> flags(results.outcomes.size());
  std::vector<std::vector<bool>> seen(results.outcomes.size());
  for (const FleetConfiguration& configuration : results.configurations) {
    std::vector<bool>& met = seen[configuration.outcome];
    met.resize(results.machineWarnings.size());
    for (Number32 w : configuration.packageWarnings) {
      if (met[w]) continue;
      met[w] = true;
      const FleetWarning& warning = results.machineWarnings[w];
      for (std::size_t e = 0; e < results.entries.size(); ++e)
        if (NamesSection(warning.section, results.entries[e].section))
          ++flags[configuration.outcome][e][KindIndex(warning.kind)];
    }
  }
  return flags;
}

void AppendMatrix(std::string& html, const FleetResults& results,
                  const FleetTallies& tallies) {
  const auto flags = OutcomeFlags(results);
  html += "<h2 id=matrix>Outcomes &#215; entries</h2>\n"
          "<p class=legend>An outcome is what the launcher does on its "
          "machines: the entries that match and the warning box. &#10003; "
          "matched, &#10007; not matched, &#9888; package warnings of its "
          "machines on the cell.</p>\n"
          "<div class=wide><table class=matrix><thead><tr><th>Outcome</th>"
          "<th>Machines</th>";
  for (const EntryReport& entry : results.entries)
    html += "<th>" + Html(entry.section) + "<br><small>" + Html(entry.venName) +
            "</small></th>";
  html += "<th>Warning box</th></tr></thead><tbody>\n";
  for (std::size_t o = 0; o < results.outcomes.size() && o < kOutcomesShown; ++o) {
    const FleetOutcome& outcome = results.outcomes[o];
    html += "<tr><th scope=row>" + OutcomeLink(o + 1) + "</th><td>" +
            Number(tallies.outcomeMachines[o]) + "</td>";
    for (std::size_t e = 0; e < results.entries.size(); ++e) {
      html += outcome.matched[e] ? "<td class=matched>&#10003; matched"
                                 : "<td class=missed>&#10007; not matched";
      const auto found = flags[o].find(e);
      if (found != flags[o].end())
        for (const WarningKind& kind : kWarningKinds)
          if (const std::size_t count = found->second[KindIndex(kind.kind)])
            html += "<span class=flag>&#9888; " +
                    (count > 1 ? Number(count) + " " : "") + kind.label + "</span>";
      html += "</td>";
    }
    html += outcome.showsBox ? "<td class=box>&#9888; yes</td>" : "<td>no</td>";
    html += "</tr>\n";
  }
  html += "</tbody></table></div>\n";
  if (results.outcomes.size() > kOutcomesShown)
    html += "<p>The first " + Number(kOutcomesShown) + " of " +
            Number(results.outcomes.size()) + " outcomes; --json lists them "
            "all.</p>\n";
}

void AppendOutcomes(std::string& html, const FleetResults& results,
                    const FleetTallies& tallies) {
  html += "<h2 id=outcomes>Outcomes</h2>\n";
  for (std::size_t o = 0; o < results.outcomes.size() && o < kOutcomesShown; ++o) {
    const FleetOutcome& outcome = results.outcomes[o];
    const std::size_t machines = tallies.outcomeMachines[o];
    html += "<section id=o" + std::to_string(o + 1) + ">\n<h3>Outcome " +
            std::to_string(o + 1) + ": " + MachinesText(machines) + " in " +
            Counted(tallies.outcomeConfigurations[o], "configuration",
                    "configurations") +
            (outcome.showsBox ? ", shows the warning box" : "") + "</h3>\n";
    std::string names;
    const std::vector<Number32> shown =
        OutcomeMachines(results, tallies, static_cast<Number32>(o), kNamesShown);
    for (std::size_t i = 0; i < shown.size(); ++i)
      names += (i > 0 ? ", " : "") + Html(std::string(results.machines[shown[i]]));
    if (machines > shown.size())
      names += " and " + Number(machines - shown.size()) + " more";
    html += std::string("<details") + (machines <= 20 ? " open" : "") +
            "><summary>" + MachinesText(machines) + "</summary><p class=names>" +
            names + "</p></details>\n";
    std::string rows;
    for (std::size_t e = 0; e < results.entries.size(); ++e) {
      if (!outcome.matched[e]) continue;
      const EntryReport& entry = results.entries[e];
      rows += SetupRows("<th scope=row rowspan=" + SetupRowCount(entry) + ">" +
                            Html(entry.section) + "<br><small>" +
                            Html(entry.venName) + "</small></th>",
                        entry);
    }
    if (rows.empty())
      html += "<p>No entry matched: the launcher shows the warning box.</p>\n";
    else
      html += std::string("<table><thead><tr><th>Entry</th>") + kSetupHeadings +
              "</tr></thead><tbody>\n" + rows + "</tbody></table>\n";
    for (Number32 w : outcome.warnings)
      html += "<p>&#9888; [" + Html(results.warnings[w].section) + "] " +
              Html(results.warnings[w].message) + "</p>\n";
    html += "</section>\n";
  }
}

}  // namespace

std::string HtmlFleet(const FleetResults& results, const std::string& checkedAt) {
  const FleetTallies tallies = Tally(results);
  std::string html;
  AppendHead(html, results.configurationPath);
  AppendSummary(html, results, tallies, checkedAt);
  AppendEntries(html, results, tallies);
  AppendMatrix(html, results, tallies);
  AppendOutcomes(html, results, tallies);
  AppendConfigurations(html, results, tallies);
  AppendUnserved(html, results, tallies);
  AppendWarnings(html, results, tallies);
  return html + "</body>\n</html>\n";
}

}  // namespace pomvarin::check
