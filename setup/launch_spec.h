// A LaunchSpec is a configured setup command: a file name and optional
// parameters in one text, split at the first blank.
#pragma once

#include <cstddef>

namespace pomvarin {

struct LaunchSpecParts {
  const char* fileName;     // points into the LaunchSpec, up to its first blank
  std::size_t fileNameLength;
  const char* parameters;   // from the first blank on, blank included, or ""
};

// Splits spec at its first space; a tab is not a blank here. The parts point
// into spec, so a spec of any length splits without being cut.
LaunchSpecParts SplitLaunchSpec(const char* spec);

}  // namespace pomvarin
