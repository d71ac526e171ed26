// pomvarin-check --trace: the real launcher run in a folder, its trace lines
// printed as they come, then its exit status.
#pragma once

#include <string>
#include <vector>

#include "check/command.h"

namespace pomvarin::check {

// Runs the launcher found beside this program in folder (empty: the current
// directory) with the arguments; every trace line goes to live at once.
// program names the tool in messages.
CommandResult RunTrace(const std::string& program, const std::string& folder,
                       const std::vector<std::string>& arguments,
                       LiveOutput& live);

}  // namespace pomvarin::check
