// The reports as JSON for tools: one object a report, one member a line,
// and each list of entries or warnings an item a line.
#include "check/report/json_parts.h"
#include "check/report/json_writer.h"
#include "check/report/outcome.h"
#include "check/report/report_writer.h"
#include "launcher/configuration.h"

namespace pomvarin::check {

const char* KindName(FleetWarningKind kind) {
  switch (kind) {
    case FleetWarningKind::kVenIdMatchesNoPackage: return "venIdMatchesNoPackage";
    case FleetWarningKind::kFalseStart: return "falseStart";
    case FleetWarningKind::kMissedDriver: return "missedDriver";
    case FleetWarningKind::kBrokenInf: return "brokenInf";
  }
  return "";
}

void WriteFiles(JsonWriter& json, const char* key,
                const std::vector<SetupFile>& files) {
  json.Key(key).BeginArray();
  for (const SetupFile& file : files) {
    json.BeginObject().Key("path").String(file.path);
    json.Key("parameters").String(file.parameters);
    json.Key("kind").String(SetupKindKey(file.kind)).EndObject();
  }
  json.EndArray();
}

void WriteImage(JsonWriter& json, const DiscImage& image) {
  if (image.file.empty()) return;
  json.Key("image").BeginObject();
  json.Key("file").String(image.file);
  json.Key("tree").String(image.tree);
  json.Key("drive").String(std::string(1, image.drive));
  json.Key("skips").Strings(image.skips).EndObject();
}

namespace {

void WriteVendorCount(JsonWriter& json, const Report& report) {
  json.Key("vendorCount").BeginObject();
  json.Key("text").String(report.vendorCountText);
  json.Key("value").Number(report.vendorCount).EndObject();
}

void WriteWarnings(JsonWriter& json, const std::vector<Warning>& warnings) {
  json.Key("warnings").BeginArray(JsonLayout::kLinePerItem);
  for (const Warning& warning : warnings) {
    json.BeginObject().Key("section").String(warning.section);
    json.Key("key").StringOrNull(warning.key);
    json.Key("message").String(warning.message).EndObject();
  }
  json.EndArray();
}

// The machine of a single machine's report a warning is of, or null.
void WritePlace(JsonWriter& json, const Configuration& machine,
                std::size_t configuration) {
  json.Key("machine").StringOrNull(configuration ? machine.machines[0] : "");
}

}  // namespace

void WriteLocalisedStrings(JsonWriter& json,
                           const std::vector<LocalisedStrings>& strings) {
  json.Key("localisedStrings").BeginArray(JsonLayout::kLinePerItem);
  for (const LocalisedStrings& each : strings)
    json.BeginObject()
        .Key("inf").String(each.inf)
        .Key("section").String(each.section)
        .EndObject();
  json.EndArray();
}

namespace {

void WritePackages(JsonWriter& json, const Configuration& machine,
                   const FleetReport& packages) {
  json.Key("infFiles").Number(packages.infFiles);
  WriteLocalisedStrings(json, packages.localisedStrings);
  json.Key("unserved").BeginArray(JsonLayout::kLinePerItem);
  for (std::size_t c = 0; c < packages.configurations.size(); ++c) {
    json.BeginObject().Key("machine").String(machine.machines[0]);
    json.Key("byVendor").BeginObject();
    for (const auto& [vendor, devices] : packages.configurations[c].unserved)
      json.Key(vendor).Strings(devices);
    json.EndObject().EndObject();
  }
  json.EndArray();
  json.Key("packageWarnings").BeginArray(JsonLayout::kLinePerItem);
  for (const FleetWarning& warning : packages.warnings) {
    json.BeginObject().Key("kind").String(KindName(warning.kind));
    json.Key("section").StringOrNull(warning.section);
    WritePlace(json, machine, warning.configuration);
    json.Key("device").StringOrNull(warning.device);
    json.Key("inf").StringOrNull(warning.inf);
    json.Key("message").String(warning.message).EndObject();
  }
  json.EndArray();
}

// The matched device, or null: an entry that matched nothing has none.
void WriteDevice(JsonWriter& json, const EntryReport& entry) {
  json.Key("device");
  if (entry.matched) json.String(entry.device);
  else json.Null();
}

}  // namespace

void WriteEntry(JsonWriter& json, const EntryReport& entry, bool forFleet) {
  json.BeginObject().Key("section").String(entry.section);
  json.Key("sectionPresent").Bool(entry.sectionPresent);
  if (!forFleet)
    json.Key("lastSection")
        .String(kVendorSectionPrefix + std::to_string(entry.lastNumber));
  json.Key("venName").String(entry.venName);
  json.Key("venId").Strings({entry.upperId, entry.lowerId});
  if (!forFleet) WriteDevice(json, entry);
  json.Key("root").String(entry.root);
  WriteFiles(json, "normal", entry.normal);
  WriteFiles(json, "silent", entry.silent);
  json.EndObject();
}

namespace {

class JsonReportWriter : public ReportWriter {
 public:
  std::string SingleMachine(const Configuration& machine,
                            const DeviceSource& devices,
                            const FleetReport& packages) const override {
    const Report& report = machine.report;
    JsonWriter json;
    json.BeginObject(JsonLayout::kLinePerItem);
    json.Key("configuration").String(report.configurationPath);
    WriteImage(json, report.image);
    json.Key("devices").BeginObject();
    json.Key("source").StringOrNull(devices.capture);
    json.Key("count").Number(devices.count);
    json.Key("notes").Strings(devices.notes).EndObject();
    WriteVendorCount(json, report);
    json.Key("entries").BeginArray(JsonLayout::kLinePerItem);
    for (const EntryReport& entry : report.entries)
      WriteEntry(json, entry, false);
    json.EndArray();
    WriteWarnings(json, report.warnings);
    json.Key("warningBox").Bool(report.showsBox);
    json.Key("summary").String(Summary(report));
    WritePackages(json, machine, packages);
    return json.EndObject().Document();
  }

  std::string Fleet(const FleetResults& results) const override {
    return FleetJson(results);
  }

  std::string DeviceList(const Devices& devices) const override {
    JsonWriter json;
    json.BeginObject().Key("devices").BeginArray(JsonLayout::kLinePerItem);
    for (const Device& device : devices) json.Strings(device.hardwareIds);
    return json.EndArray().EndObject().Document();
  }
};

}  // namespace

std::unique_ptr<ReportWriter> MakeJsonWriter() {
  return std::make_unique<JsonReportWriter>();
}

}  // namespace pomvarin::check
