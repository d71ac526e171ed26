// Warnings of the setups by their installer kinds: silent parameters that
// do not silence the kind or lack its no-restart switch, and what goes
// wrong when the launcher, which never waits, starts several setups on one
// machine at the same moment.
#pragma once

#include <string>
#include <vector>

#include "check/report/results.h"

namespace pomvarin::check {

// Warnings of the files the entry's silent mode starts (key
// "SilentInstall"): parameters that do not silence the file's kind or lack
// its no-restart switch, and an InstallScript setup whose response file is
// not on the disc.
void LintSilentSetups(const EntryReport& entry, std::vector<Warning>* warnings);

// Warnings of the setups the matched entries of one machine's report start
// together, in either mode: two or more that install through Windows
// Installer, one file started twice, and (with /s) a setup without its
// no-restart switch started beside others. place names the machine in the
// messages: "this machine", "configuration 2".
void LintStartsTogether(const Report& report, const std::string& place,
                        std::vector<Warning>* warnings);

}  // namespace pomvarin::check
