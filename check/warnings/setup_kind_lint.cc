// Warnings of setups by their kind, alone and started together on a machine.
#include "check/warnings/setup_kind_lint.h"

#include <algorithm>

#include "platform/files.h"

namespace pomvarin::check {

namespace {

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? "" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  return path.substr(path.find_last_of("\\/") + 1);
}

std::string Shown(const SetupFile& file) {
  return file.path + " (" + SetupKindName(file.kind) + ")";
}

std::string ParametersText(const std::string& parameters) {
  return parameters.empty() ? "no parameters" : "\"" + parameters + "\"";
}

// The fix that every warning of a kind's switches names.
std::string Fix(const SetupFile& file) {
  return "write SilentInstall=" + NameOf(file.path) + " " +
         RecommendedSwitches(file.kind);
}

bool Absolute(const std::string& path) {
  return (path.size() > 1 && path[1] == ':') ||
         (!path.empty() && (path[0] == '\\' || path[0] == '/'));
}

// A setup the launcher would start on a machine, the entry it is from, and
// whether it installs through Windows Installer.
struct Start {
  const std::string* section;
  const SetupFile* file;
  bool windowsInstaller;
  // Whether another entry's root begins this one's, or this one's the
  // other's: every path found begins with its entry's root, so only then
  // can two entries start the same file.
  bool rootOverlaps;
};

bool RootsOverlap(const EntryReport& entry, const Report& report) {
  for (const EntryReport& other : report.entries)
    if (&other != &entry && other.matched &&
        (entry.root.compare(0, other.root.size(), other.root) == 0 ||
         other.root.compare(0, entry.root.size(), entry.root) == 0))
      return true;
  return false;
}

// Each entry with its first file of the starts: an entry's copies in
// several folders have a warning of their own, which lists them all.
std::string ByEntry(const std::vector<const Start*>& starts) {
  std::string list;
  for (std::size_t i = 0; i < starts.size();) {
    std::size_t next = i + 1;
    while (next < starts.size() && starts[next]->section == starts[i]->section)
      ++next;
    list += (list.empty() ? "" : ", ") + ("[" + *starts[i]->section + "] ") +
            Shown(*starts[i]->file);
    if (next - i > 1)
      list += " and " + std::to_string(next - i - 1) + " more of its files";
    i = next;
  }
  return list;
}

// The warnings of one mode that name no single setup's switches, each a
// section and its text: installs through Windows Installer that collide,
// and files started more than once.
std::vector<std::pair<std::string, std::string>> Together(
    const std::vector<Start>& starts) {
  std::vector<std::pair<std::string, std::string>> found;
  std::vector<const Start*> installers;
  for (const Start& start : starts)
    if (start.windowsInstaller) installers.push_back(&start);
  if (installers.size() > 1)
    found.emplace_back(
        *installers[0]->section,
        std::to_string(installers.size()) +
            " setups that install through Windows Installer start at the "
            "same moment: " +
            ByEntry(installers) +
            ". Windows Installer runs "
            "one installation at a time, and the others fail with 1618, "
            "\"another installation is already in progress\" (start them "
            "one after another from one entry, such as a batch file that "
            "runs each with start /wait)");
  // The same path from several entries: the starts that may share one, by
  // path, each path's in the order they start.
  std::vector<const Start*> byPath;
  for (const Start& start : starts)
    if (start.rootOverlaps) byPath.push_back(&start);
  std::stable_sort(byPath.begin(), byPath.end(),
                   [](const Start* a, const Start* b) {
                     return a->file->path < b->file->path;
                   });
  for (std::size_t i = 0; i < byPath.size();) {
    std::size_t next = i + 1;
    while (next < byPath.size() &&
           byPath[next]->file->path == byPath[i]->file->path)
      ++next;
    if (next - i > 1) {
      std::string from;
      for (std::size_t j = i; j < next; ++j)
        from +=
            (from.empty() ? "" : " and ") + ("[" + *byPath[j]->section + "]");
      found.emplace_back(*byPath[i]->section,
                         byPath[i]->file->path + " starts " +
                             std::to_string(next - i) +
                             " times at the same "
                             "moment, from " +
                             from + " (let one entry start it)");
    }
    i = next;
  }
  return found;
}

}  // namespace

// Only an InstallShield setup's parameters say whether it does.
bool SetupKindLint::UsesWindowsInstaller(const SetupFile& file) {
  return file.kind == SetupKind::kWindowsInstaller ||
         file.kind == SetupKind::kBurnBundle ||
         (file.kind == SetupKind::kInstallShield &&
          SwitchesOf(file).windowsInstaller);
}

const SetupKindLint::Switches& SetupKindLint::SwitchesOf(
    const SetupFile& file) {
  auto& byParameters = switches_[file.kind];
  const auto known = byParameters.find(file.parameters);
  if (known != byParameters.end()) return known->second;
  return byParameters[file.parameters] =
             Switches{check::UsesWindowsInstaller(file.kind, file.parameters),
                      KeepsFromRestarting(file.kind, file.parameters)};
}

void SetupKindLint::LintSilentSetups(const EntryReport& entry,
                                     std::vector<Warning>* warnings) {
  auto [kept, fresh] = silent_.try_emplace(entry.section);
  if (fresh) {
    for (const SetupFile& file : entry.silent)
      LintSilentSetup(entry, file, &kept->second);
  }
  warnings->insert(warnings->end(), kept->second.begin(), kept->second.end());
}

void SetupKindLint::LintSilentSetup(const EntryReport& entry,
                                    const SetupFile& file,
                                    std::vector<Warning>* warnings) {
  const auto warn = [&](const std::string& message) {
    warnings->push_back(Warning{entry.section, "SilentInstall", message});
  };
  const std::string parameters = ParametersText(file.parameters);
  if (Silences(file.kind, file.parameters) == SwitchAnswer::kNo) {
    warn(Shown(file) + " is not silenced by " + parameters +
         ": its window would wait on an unattended machine (" + Fix(file) +
         ")");
  } else if (SwitchesOf(file).keepsFromRestarting == SwitchAnswer::kNo) {
    warn(Shown(file) + " is started with " + parameters +
         ", without its no-restart switch: it may restart Windows when it "
         "ends, without asking (" +
         Fix(file) + ")");
  }
  const std::string response = ResponseFile(file.kind, file.parameters);
  if (response.empty() || Absolute(response)) return;
  const std::string answers = FolderOf(file.path) + "\\" + response;
  if (platform::FileAtOffsets(answers.c_str()).IsOpen()) return;
  warn(Shown(file) +
       " is started with /s and no /v: as an InstallScript "
       "setup it reads its recorded answers from " +
       answers +
       ", which is not on the disc, and shows its dialogs (record them with "
       "/r and put the file there; for an MSI-based setup, " +
       Fix(file) + ")");
}

void SetupKindLint::LintStartsTogether(const Report& report,
                                       const std::string& place,
                                       std::vector<Warning>* warnings) {
  std::vector<Start> normal, silent;
  for (const EntryReport& entry : report.entries) {
    if (!entry.matched) continue;
    const bool overlaps = RootsOverlap(entry, report);
    for (const SetupFile& file : entry.normal)
      normal.push_back(
          Start{&entry.section, &file, UsesWindowsInstaller(file), overlaps});
    for (const SetupFile& file : entry.silent)
      silent.push_back(
          Start{&entry.section, &file, UsesWindowsInstaller(file), overlaps});
  }
  const auto normalFound = Together(normal);
  const auto silentFound = Together(silent);
  for (const auto& [section, text] : normalFound) {
    bool both = false;
    for (const auto& found : silentFound) both = both || found.second == text;
    warnings->push_back(
        Warning{section, "",
                "On " + place +
                    (both ? ", in either mode: " : ", without /s: ") + text});
  }
  for (const auto& [section, text] : silentFound) {
    bool both = false;
    for (const auto& found : normalFound) both = both || found.second == text;
    if (!both)
      warnings->push_back(
          Warning{section, "", "On " + place + ", with /s: " + text});
  }
  // Only a silent setup restarts without asking first.
  if (silent.size() < 2) return;
  for (const Start& start : silent) {
    if (NoRestartSwitch(start.file->kind)[0] == '\0' ||
        SwitchesOf(*start.file).keepsFromRestarting != SwitchAnswer::kNo)
      continue;
    warnings->push_back(Warning{
        *start.section, "SilentInstall",
        "On " + place + ", " + Shown(*start.file) + " starts beside " +
            std::to_string(silent.size() - 1) +
            (silent.size() == 2 ? " other setup" : " other setups") +
            " without its no-restart switch: it may restart Windows under "
            "them (" +
            Fix(*start.file) + ")"});
  }
}

}  // namespace pomvarin::check
