// The kind of installer a setup file is, told from its bytes, and the
// switches each kind expects: which parameters run it without a window
// that waits, which keep it from restarting Windows, and which to write.
#pragma once

#include <string>
#include <string_view>

namespace pomvarin::check {

enum class SetupKind {
  kUnknownProgram,
  kWindowsInstaller,  // an .msi package, started through msiexec
  kNsis,
  kInnoSetup,
  kBurnBundle,
  kInstallShield,
  kSevenZipArchive,  // a self-extracting 7-Zip archive
  kRarArchive,       // a self-extracting RAR archive
  kBatchFile,
  kScript,
};

// The kind of the file at path (a path as the launcher joins them). Reads
// only what telling the kinds apart needs, at most 64 KiB of any file: its
// first block, a program's section table and the few places that table
// points to. A file that cannot be read is kUnknownProgram.
SetupKind RecogniseSetupKind(const char* path);

// For people: "NSIS installer", "Windows Installer package", ...
const char* SetupKindName(SetupKind kind);
// For tools: "nsis", "windowsInstaller", ...
const char* SetupKindKey(SetupKind kind);

enum class SwitchAnswer { kYes, kNo, kUnknown };

// Whether the parameters, as the launcher hands them to the setup (" /S"),
// run the kind without a window that waits for someone. kUnknown for kinds
// whose switches depend on what they run: self-extracting archives, batch
// files, scripts and programs of unknown kind.
SwitchAnswer Silences(SetupKind kind, std::string_view parameters);

// Whether the parameters hold the kind's switch against restarting
// Windows. kUnknown where the kind has none: an NSIS installer restarts as
// its script says, an InstallShield setup without /v as its response file
// says.
SwitchAnswer KeepsFromRestarting(SetupKind kind, std::string_view parameters);

// Whether the setup installs through Windows Installer, which runs one
// installation at a time: an .msi, a Burn bundle, an InstallShield setup
// handed /v (parameters for its own .msi).
bool UsesWindowsInstaller(SetupKind kind, std::string_view parameters);

// The response file an InstallShield setup started with /s and no /v reads
// its recorded answers from, as the parameters name it: /f1's file, else
// "setup.iss" (beside the setup). "" for any other kind or parameters.
std::string ResponseFile(SetupKind kind, std::string_view parameters);

// The kind's switch against restarting Windows ("/norestart"; an
// InstallShield setup's goes inside its /v"..."); "" where it has none.
const char* NoRestartSwitch(SetupKind kind);

// The parameters to write after the file name in SilentInstall for the
// kind, its no-restart switch included ("/VERYSILENT /SUPPRESSMSGBOXES
// /NORESTART"); "" for kinds with no switches of their own.
const char* RecommendedSwitches(SetupKind kind);

}  // namespace pomvarin::check
