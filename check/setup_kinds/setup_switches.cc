// Each kind's names and switches, from each installer's own documentation:
// NSIS's "Installer usage" (/S, case-sensitive); Inno Setup's "Setup
// Command Line Parameters" (/VERYSILENT, /SUPPRESSMSGBOXES, /NORESTART, in
// any case); msiexec's "Command-Line Options" (/quiet, /qn, /passive,
// /norestart, the REBOOT=ReallySuppress property, with "/" or "-"); Burn's
// command line (src/burn/engine/core.cpp: -q, -quiet, -s, -silent,
// -passive, -norestart, with "/" or "-"); InstallShield's "Setup.exe
// Command-Line Parameters" (/s; /v hands what follows to its .msi; /f1
// names the response file, setup.iss beside the setup by default).
#include <vector>

#include "check/setup_kinds/setup_kind.h"
#include "common/ascii.h"

namespace pomvarin::check {

namespace {

// The parameters split as a Windows program splits its command line:
// at blanks, with double quotes grouping and taken away.
std::vector<std::string> Arguments(std::string_view parameters) {
  std::vector<std::string> arguments;
  std::string argument;
  bool quoted = false, started = false;
  for (char c : parameters) {
    if (c == '"') {
      quoted = !quoted;
      started = true;
    } else if ((c == ' ' || c == '\t') && !quoted) {
      if (started) arguments.push_back(argument);
      argument.clear();
      started = false;
    } else {
      argument += c;
      started = true;
    }
  }
  if (started) arguments.push_back(argument);
  return arguments;
}

// The switch's name without its "/" (or "-" where dashes count), in lower
// case; "" for an argument that is no switch.
std::string SwitchName(const std::string& argument, bool dashes) {
  if (argument.empty() ||
      !(argument[0] == '/' || (dashes && argument[0] == '-')))
    return "";
  return LowerAscii(argument.substr(1));
}

bool HasSwitch(const std::vector<std::string>& arguments,
               std::initializer_list<const char*> names, bool dashes) {
  for (const std::string& argument : arguments)
    for (const char* name : names)
      if (SwitchName(argument, dashes) == name) return true;
  return false;
}

SwitchAnswer Answer(bool yes) {
  return yes ? SwitchAnswer::kYes : SwitchAnswer::kNo;
}

// What an InstallShield setup's /v arguments hand to its .msi, all of them
// together; whether there is any /v at all.
bool MsiParameters(const std::vector<std::string>& arguments,
                   std::string* msi) {
  bool any = false;
  for (const std::string& argument : arguments) {
    if (SwitchName(argument, true).compare(0, 1, "v") != 0) continue;
    *msi += " " + argument.substr(2);
    any = true;
  }
  return any;
}

bool MsiSilent(const std::vector<std::string>& arguments) {
  return HasSwitch(
      arguments, {"q", "qn", "quiet", "passive", "qb-", "qb-!", "qb!-"}, true);
}

bool MsiNoRestart(const std::vector<std::string>& arguments) {
  if (HasSwitch(arguments, {"norestart"}, true)) return true;
  // REBOOT=ReallySuppress; Windows Installer reads only its first letter.
  for (const std::string& argument : arguments)
    if (UpperAscii(argument).compare(0, 8, "REBOOT=R") == 0) return true;
  return false;
}

}  // namespace

const char* SetupKindName(SetupKind kind) {
  switch (kind) {
    case SetupKind::kUnknownProgram: return "program of unknown kind";
    case SetupKind::kWindowsInstaller: return "Windows Installer package";
    case SetupKind::kNsis: return "NSIS installer";
    case SetupKind::kInnoSetup: return "Inno Setup installer";
    case SetupKind::kBurnBundle: return "WiX Burn bundle";
    case SetupKind::kInstallShield: return "InstallShield setup";
    case SetupKind::kSevenZipArchive: return "7-Zip self-extracting archive";
    case SetupKind::kRarArchive: return "RAR self-extracting archive";
    case SetupKind::kBatchFile: return "batch file";
    case SetupKind::kScript: return "script";
  }
  return "";
}

const char* SetupKindKey(SetupKind kind) {
  switch (kind) {
    case SetupKind::kUnknownProgram: return "unknown";
    case SetupKind::kWindowsInstaller: return "windowsInstaller";
    case SetupKind::kNsis: return "nsis";
    case SetupKind::kInnoSetup: return "innoSetup";
    case SetupKind::kBurnBundle: return "burnBundle";
    case SetupKind::kInstallShield: return "installShield";
    case SetupKind::kSevenZipArchive: return "sevenZipArchive";
    case SetupKind::kRarArchive: return "rarArchive";
    case SetupKind::kBatchFile: return "batchFile";
    case SetupKind::kScript: return "script";
  }
  return "";
}

SwitchAnswer Silences(SetupKind kind, std::string_view parameters) {
  const std::vector<std::string> arguments = Arguments(parameters);
  switch (kind) {
    case SetupKind::kNsis:
      for (const std::string& argument : arguments)
        if (argument == "/S") return SwitchAnswer::kYes;
      return SwitchAnswer::kNo;
    case SetupKind::kInnoSetup:
      return Answer(HasSwitch(arguments, {"verysilent"}, false) &&
                    HasSwitch(arguments, {"suppressmsgboxes"}, false));
    case SetupKind::kWindowsInstaller: return Answer(MsiSilent(arguments));
    case SetupKind::kBurnBundle:
      return Answer(
          HasSwitch(arguments, {"q", "quiet", "s", "silent", "passive"}, true));
    case SetupKind::kInstallShield: {
      std::string msi;
      const bool handsOn = MsiParameters(arguments, &msi);
      return Answer(HasSwitch(arguments, {"s"}, true) &&
                    (!handsOn || MsiSilent(Arguments(msi))));
    }
    default: return SwitchAnswer::kUnknown;
  }
}

SwitchAnswer KeepsFromRestarting(SetupKind kind, std::string_view parameters) {
  const std::vector<std::string> arguments = Arguments(parameters);
  switch (kind) {
    case SetupKind::kInnoSetup:
      return Answer(HasSwitch(arguments, {"norestart"}, false));
    case SetupKind::kWindowsInstaller: return Answer(MsiNoRestart(arguments));
    case SetupKind::kBurnBundle:
      return Answer(HasSwitch(arguments, {"norestart"}, true));
    case SetupKind::kInstallShield: {
      std::string msi;
      if (!MsiParameters(arguments, &msi)) return SwitchAnswer::kUnknown;
      return Answer(MsiNoRestart(Arguments(msi)));
    }
    default: return SwitchAnswer::kUnknown;
  }
}

bool UsesWindowsInstaller(SetupKind kind, std::string_view parameters) {
  std::string msi;
  return kind == SetupKind::kWindowsInstaller ||
         kind == SetupKind::kBurnBundle ||
         (kind == SetupKind::kInstallShield &&
          MsiParameters(Arguments(parameters), &msi));
}

std::string ResponseFile(SetupKind kind, std::string_view parameters) {
  const std::vector<std::string> arguments = Arguments(parameters);
  std::string msi;
  if (kind != SetupKind::kInstallShield || !HasSwitch(arguments, {"s"}, true) ||
      MsiParameters(arguments, &msi))
    return "";
  for (const std::string& argument : arguments)
    if (SwitchName(argument, true).compare(0, 2, "f1") == 0 &&
        argument.size() > 3)
      return argument.substr(3);
  return "setup.iss";
}

const char* NoRestartSwitch(SetupKind kind) {
  switch (kind) {
    case SetupKind::kInnoSetup: return "/NORESTART";
    case SetupKind::kWindowsInstaller: return "/norestart";
    case SetupKind::kBurnBundle: return "/norestart";
    case SetupKind::kInstallShield: return "/norestart";
    default: return "";
  }
}

const char* RecommendedSwitches(SetupKind kind) {
  switch (kind) {
    case SetupKind::kNsis: return "/S";
    case SetupKind::kInnoSetup:
      return "/VERYSILENT /SUPPRESSMSGBOXES /NORESTART";
    case SetupKind::kWindowsInstaller: return "/qn /norestart";
    case SetupKind::kBurnBundle: return "/quiet /norestart";
    case SetupKind::kInstallShield: return "/s /v\"/qn /norestart\"";
    default: return "";
  }
}

}  // namespace pomvarin::check
