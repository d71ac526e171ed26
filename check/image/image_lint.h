// Warnings of what only an image has: a setup the launcher would start from
// the author's folder that the image marks hidden, so that it never starts.
#pragma once

#include <vector>

#include "check/report/results.h"

namespace pomvarin::check {

// Whether an image is in place as the disc being checked.
bool CheckingAnImage();

// Warnings of one LaunchSpec of the entry (key "SetupFileName" or
// "SilentInstall"): each file below the entry's root that has its file
// name but that the image marks hidden.
void LintHiddenOnImage(const EntryReport& entry, const char* key,
                       const char* spec, std::vector<Warning>* warnings);

}  // namespace pomvarin::check
