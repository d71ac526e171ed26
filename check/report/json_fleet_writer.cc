// A fleet's report as JSON, complete: every configuration with its
// machines, every warning and unserved device where it occurs, and the
// counts the text report is written from; and --json-lines, a line a
// machine.
#include "check/report/fleet_tallies.h"
#include "check/report/json_parts.h"
#include "check/report/report_writer.h"

namespace pomvarin::check {

namespace {

void WriteTallied(JsonWriter& json, const char* key, const TextTable& table,
                  const std::vector<Tallied>& items) {
  json.Key(key).BeginArray();
  for (const Tallied& item : items)
    json.BeginObject()
        .Key("device").String(table[item.number])
        .Key("machines").Number(item.machines)
        .EndObject();
  json.EndArray();
}

void WriteByEntry(JsonWriter& json, const FleetResults& results,
                  const FleetTallies& tallies) {
  json.Key("byEntry").BeginArray(JsonLayout::kLinePerItem);
  for (std::size_t e = 0; e < results.entries.size(); ++e) {
    const EntryTally& tally = tallies.entries[e];
    json.BeginObject().Key("section").String(results.entries[e].section);
    json.Key("machines").Number(tally.machines);
    json.Key("outcomes").Number(tally.outcomes);
    WriteTallied(json, "devices", results.devices, tally.devices);
    json.EndObject();
  }
  json.EndArray();
}

std::vector<std::string> MatchedSections(const FleetResults& results,
                                         const FleetOutcome& outcome) {
  std::vector<std::string> sections;
  for (std::size_t e = 0; e < outcome.matched.size(); ++e)
    if (outcome.matched[e]) sections.push_back(results.entries[e].section);
  return sections;
}

void WriteOutcomes(JsonWriter& json, const FleetResults& results,
                   const FleetTallies& tallies) {
  json.Key("outcomes").BeginArray(JsonLayout::kLinePerItem);
  for (std::size_t o = 0; o < results.outcomes.size(); ++o) {
    const FleetOutcome& outcome = results.outcomes[o];
    json.BeginObject().Key("number").Number(o + 1);
    json.Key("machineCount").Number(tallies.outcomeMachines[o]);
    json.Key("configurationCount").Number(tallies.outcomeConfigurations[o]);
    json.Key("matched").Strings(MatchedSections(results, outcome));
    json.Key("warningBox").Bool(outcome.showsBox);
    json.Key("warnings").BeginArray();
    for (Number32 w : outcome.warnings) json.Number(w + 1);
    json.EndArray().EndObject();
  }
  json.EndArray();
}

// A configuration's matched entries, each with its device and files.
void WriteStarts(JsonWriter& json, const FleetResults& results,
                 const FleetConfiguration& configuration, bool unmatchedToo) {
  const FleetOutcome& outcome = results.outcomes[configuration.outcome];
  const SetupFiles none;
  std::size_t matched = 0;
  for (std::size_t e = 0; e < results.entries.size(); ++e) {
    const EntryReport& entry = results.entries[e];
    const bool hit = e < outcome.matched.size() && outcome.matched[e];
    if (!hit && !unmatchedToo) continue;
    json.BeginObject().Key("section").String(entry.section);
    if (unmatchedToo) json.Key("matched").Bool(hit);
    json.Key("device");
    if (hit) json.String(results.devices[configuration.matchedDevices[matched++]]);
    else json.Null();
    WriteFiles(json, "normal", hit ? entry.normal : none);
    WriteFiles(json, "silent", hit ? entry.silent : none);
    json.EndObject();
  }
}

std::vector<std::string> Texts(const TextTable& table,
                               const std::vector<Number32>& numbers) {
  std::vector<std::string> texts;
  for (Number32 number : numbers) texts.push_back(table[number]);
  return texts;
}

void WriteConfigurations(JsonWriter& json, const FleetResults& results,
                         const FleetTallies& tallies) {
  json.Key("configurations").BeginArray(JsonLayout::kLinePerItem);
  for (std::size_t c = 0; c < results.configurations.size(); ++c) {
    const FleetConfiguration& configuration = results.configurations[c];
    std::vector<std::string> machines;
    for (std::size_t at = tallies.starts[c]; at < tallies.starts[c + 1]; ++at)
      machines.emplace_back(results.machines[tallies.byConfiguration[at]]);
    json.BeginObject().Key("number").Number(c + 1);
    json.Key("machineCount").Number(configuration.machines);
    json.Key("machines").Strings(machines);
    json.Key("devices").Number(configuration.devices);
    json.Key("notes").Strings(Texts(results.notes, configuration.notes));
    json.Key("outcome").Number(configuration.outcome + 1);
    json.Key("warningBox").Bool(results.outcomes[configuration.outcome].showsBox);
    json.Key("entries").BeginArray();
    WriteStarts(json, results, configuration, true);
    json.EndArray().EndObject();
  }
  json.EndArray();
}

void WriteWarnings(JsonWriter& json, const FleetResults& results,
                   const FleetTallies& tallies) {
  json.Key("warnings").BeginArray(JsonLayout::kLinePerItem);
  for (std::size_t w = 0; w < results.warnings.size(); ++w) {
    const Warning& warning = results.warnings[w];
    json.BeginObject().Key("section").String(warning.section);
    json.Key("key").StringOrNull(warning.key);
    json.Key("message").String(warning.message);
    json.Key("machines").Number(tallies.warningMachines[w]).EndObject();
  }
  json.EndArray();
}

void WritePackageWarning(JsonWriter& json, const FleetWarning& warning,
                         std::size_t configuration) {
  json.BeginObject().Key("kind").String(KindName(warning.kind));
  json.Key("section").StringOrNull(warning.section);
  json.Key("configuration");
  if (configuration) json.Number(configuration);
  else json.Null();
  json.Key("device").StringOrNull(warning.device);
  json.Key("inf").StringOrNull(warning.inf);
  json.Key("message").String(warning.message).EndObject();
}

// Each configuration's unserved devices by vendor, the vendors in name
// order as they were folded.
void WriteUnserved(JsonWriter& json, const FleetResults& results,
                   const FleetConfiguration& configuration) {
  json.Key("byVendor").BeginObject();
  const std::vector<Number32>& unserved = configuration.unserved;
  for (std::size_t i = 0; i < unserved.size();) {
    const Number32 vendor = results.vendorOfDevice[unserved[i]];
    std::vector<std::string> devices;
    for (; i < unserved.size() && results.vendorOfDevice[unserved[i]] == vendor; ++i)
      devices.push_back(results.devices[unserved[i]]);
    json.Key(results.vendors[vendor]).Strings(devices);
  }
  json.EndObject();
}

void WritePackages(JsonWriter& json, const FleetResults& results) {
  json.Key("infFiles").Number(results.infFiles);
  WriteLocalisedStrings(json, results.localisedStrings);
  json.Key("unserved").BeginArray(JsonLayout::kLinePerItem);
  for (std::size_t c = 0; c < results.configurations.size(); ++c) {
    json.BeginObject().Key("configuration").Number(c + 1);
    WriteUnserved(json, results, results.configurations[c]);
    json.EndObject();
  }
  json.EndArray();
  json.Key("packageWarnings").BeginArray(JsonLayout::kLinePerItem);
  for (const FleetWarning& warning : results.discWarnings)
    WritePackageWarning(json, warning, 0);
  for (std::size_t c = 0; c < results.configurations.size(); ++c)
    for (Number32 w : results.configurations[c].packageWarnings)
      WritePackageWarning(json, results.machineWarnings[w], c + 1);
  json.EndArray();
}

}  // namespace

std::string FleetJson(const FleetResults& results) {
  const FleetTallies tallies = Tally(results);
  JsonWriter json;
  json.BeginObject(JsonLayout::kLinePerItem);
  json.Key("configuration").String(results.configurationPath);
  WriteImage(json, results.image);
  json.Key("vendorCount").BeginObject();
  json.Key("text").String(results.vendorCountText);
  json.Key("value").Number(results.vendorCount).EndObject();
  json.Key("skipped").BeginArray();
  for (const SkippedCapture& file : results.skipped) {
    json.BeginObject().Key("file").String(file.file);
    json.Key("reason").String(file.reason).EndObject();
  }
  json.EndArray();
  json.Key("entries").BeginArray(JsonLayout::kLinePerItem);
  for (const EntryReport& entry : results.entries) WriteEntry(json, entry, true);
  json.EndArray();
  WriteByEntry(json, results, tallies);
  json.Key("machineCount").Number(tallies.machines);
  WriteOutcomes(json, results, tallies);
  WriteConfigurations(json, results, tallies);
  WriteWarnings(json, results, tallies);
  WritePackages(json, results);
  return json.EndObject().Document();
}

void WriteJsonLines(const FleetResults& results,
                    const std::function<void(const std::string&)>& write) {
  std::string lines;
  for (std::size_t m = 0; m < results.machines.size(); ++m) {
    const Number32 c = results.machines.configurations[m];
    const FleetConfiguration& configuration = results.configurations[c];
    const FleetOutcome& outcome = results.outcomes[configuration.outcome];
    JsonWriter json;
    json.BeginObject().Key("machine").String(std::string(results.machines[m]));
    json.Key("configuration").Number(c + 1);
    json.Key("outcome").Number(configuration.outcome + 1);
    json.Key("warningBox").Bool(outcome.showsBox);
    json.Key("starts").BeginArray();
    WriteStarts(json, results, configuration, false);
    json.EndArray();
    std::vector<Number32> warnings = configuration.warnings;
    warnings.insert(warnings.end(), outcome.warnings.begin(), outcome.warnings.end());
    json.Key("warnings").BeginArray();
    for (Number32 w : warnings) {
      const Warning& warning = results.warnings[w];
      json.String("[" + warning.section + "]" +
                  (warning.key.empty() ? "" : " " + warning.key) + ": " +
                  warning.message);
    }
    json.EndArray();
    json.Key("packageWarnings").BeginArray();
    for (Number32 w : configuration.packageWarnings)
      json.String(results.machineWarnings[w].message);
    json.EndArray();
    json.Key("unserved").Strings(Texts(results.devices, configuration.unserved));
    lines += json.EndObject().Document();
    if (lines.size() >= 1 << 16) {
      write(lines);
      lines.clear();
    }
  }
  write(lines);
}

}  // namespace pomvarin::check
