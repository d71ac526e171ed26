// The pieces of the text reports that one machine's and a fleet's share.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "check/report/results.h"

namespace pomvarin::check {

// "with no parameters", "with \" /s\"".
std::string Parameters(const std::string& parameters);

// A mode's files after label, a line each, or "not found".
void AppendFiles(std::string& text, const char* label,
                 const std::vector<SetupFile>& files);

const char* KindLabel(FleetWarningKind kind);

// "1 machine", "3 machines".
std::string Machines(std::size_t count);

// The image the disc was read from, when it was one.
void AppendImage(std::string& text, const DiscImage& image);

std::string FleetText(const struct FleetResults& results);

}  // namespace pomvarin::check
