// Whether an entry's folder and LaunchSpecs can start what their author
// meant: a root the search can list, a bare file name that the search finds
// once.
#pragma once

#include <vector>

#include "check/check.h"
#include "launcher/configuration.h"

namespace pomvarin::check {

// Whether the launcher can list root at all.
bool Searchable(const std::string& root);

// Warnings of the entry's SetupFileRootDir, as values gives it.
void LintRoot(const EntryReport& entry, const VendorEntry& values,
              std::vector<Warning>* warnings);

// Warnings of one LaunchSpec of the entry (key "SetupFileName" or
// "SilentInstall") against the files its search found.
void LintLaunchSpec(const EntryReport& entry, const char* key,
                    const char* spec, const std::vector<SetupFile>& found,
                    std::vector<Warning>* warnings);

}  // namespace pomvarin::check
