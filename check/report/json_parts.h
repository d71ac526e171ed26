// The pieces of the JSON reports that one machine's and a fleet's share.
#pragma once

#include <string>
#include <vector>

#include "check/report/fleet_results.h"
#include "check/report/json_writer.h"

namespace pomvarin::check {

const char* KindName(FleetWarningKind kind);

void WriteFiles(JsonWriter& json, const char* key,
                const std::vector<SetupFile>& files);

// An entry as one machine reads it, or (forFleet) as every machine reads
// it: what matched is then per machine.
void WriteEntry(JsonWriter& json, const EntryReport& entry, bool forFleet);

void WriteLocalisedStrings(JsonWriter& json,
                           const std::vector<LocalisedStrings>& strings);

// The image the disc was read from, when it was one.
void WriteImage(JsonWriter& json, const DiscImage& image);

std::string FleetJson(const FleetResults& results);

}  // namespace pomvarin::check
