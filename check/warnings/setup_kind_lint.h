// Warnings of the setups by their installer kinds: silent parameters that
// do not silence the kind or lack its no-restart switch, and what goes
// wrong when the launcher, which never waits, starts several setups on one
// machine at the same moment.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "check/report/results.h"
#include "check/setup_kinds/setup_kind.h"

namespace pomvarin::check {

// What an entry's files give depends on the disc alone, while a fleet is
// checked configuration by configuration: it is worked out once a run and
// kept here.
class SetupKindLint {
 public:
  // Warnings of the files the entry's silent mode starts (key
  // "SilentInstall"): parameters that do not silence the file's kind or
  // lack its no-restart switch, and an InstallScript setup whose response
  // file is not on the disc.
  void LintSilentSetups(const EntryReport& entry,
                        std::vector<Warning>* warnings);

  // Warnings of the setups the matched entries of one machine's report
  // start together, in either mode: two or more that install through
  // Windows Installer, one file started twice, and (with /s) a setup
  // without its no-restart switch started beside others. place names the
  // machine in the messages: "this machine", "configuration 2".
  void LintStartsTogether(const Report& report, const std::string& place,
                          std::vector<Warning>* warnings);

 private:
  struct Switches {
    bool windowsInstaller;
    SwitchAnswer keepsFromRestarting;
  };
  const Switches& SwitchesOf(const SetupFile& file);
  bool UsesWindowsInstaller(const SetupFile& file);
  void LintSilentSetup(const EntryReport& entry, const SetupFile& file,
                       std::vector<Warning>* warnings);

  std::map<std::string, std::vector<Warning>> silent_;  // by section
  // By kind, then by parameters.
  std::map<SetupKind, std::map<std::string, Switches>> switches_;
};

}  // namespace pomvarin::check
