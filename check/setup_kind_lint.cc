#include "check/setup_kind_lint.h"

#include <map>

#include "check/setup_kind.h"
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

// A setup the launcher would start on a machine, and the entry it is from.
struct Start {
  const std::string* section;
  const SetupFile* file;
};

std::vector<Start> Starts(const Report& report, bool silent) {
  std::vector<Start> starts;
  for (const EntryReport& entry : report.entries) {
    if (!entry.matched) continue;
    for (const SetupFile& file : silent ? entry.silent : entry.normal)
      starts.push_back(Start{&entry.section, &file});
  }
  return starts;
}

// The warnings of one mode that name no single setup's switches, each a
// section and its text: installs through Windows Installer that collide,
// and files started more than once.
std::vector<std::pair<std::string, std::string>> Together(
    const std::vector<Start>& starts) {
  std::vector<std::pair<std::string, std::string>> found;
  std::vector<const Start*> installers;
  for (const Start& start : starts)
    if (UsesWindowsInstaller(start.file->kind, start.file->parameters))
      installers.push_back(&start);
  if (installers.size() > 1) {
    std::string list;
    for (const Start* start : installers)
      list += (list.empty() ? "" : ", ") + ("[" + *start->section + "] ") +
              Shown(*start->file);
    found.emplace_back(
        *installers[0]->section,
        std::to_string(installers.size()) +
            " setups that install through Windows Installer start at the "
            "same moment: " + list + ". Windows Installer runs one "
            "installation at a time, and the others fail with 1618, "
            "\"another installation is already in progress\" (start them "
            "one after another from one entry, such as a batch file that "
            "runs each with start /wait)");
  }
  std::map<std::string, std::vector<const Start*>> byPath;
  for (const Start& start : starts) byPath[start.file->path].push_back(&start);
  for (const Start& start : starts) {
    const std::vector<const Start*>& same = byPath[start.file->path];
    if (same.size() < 2 || same[0] != &start) continue;
    std::string from;
    for (const Start* other : same)
      from += (from.empty() ? "" : " and ") + ("[" + *other->section + "]");
    found.emplace_back(*start.section,
                       start.file->path + " starts " +
                           std::to_string(same.size()) + " times at the "
                           "same moment, from " + from +
                           " (let one entry start it)");
  }
  return found;
}

}  // namespace

void LintSilentSetups(const EntryReport& entry, std::vector<Warning>* warnings) {
  const auto warn = [&](const std::string& message) {
    warnings->push_back(Warning{entry.section, "SilentInstall", message});
  };
  for (const SetupFile& file : entry.silent) {
    const std::string parameters = ParametersText(file.parameters);
    if (Silences(file.kind, file.parameters) == SwitchAnswer::kNo) {
      warn(Shown(file) + " is not silenced by " + parameters +
           ": its window would wait on an unattended machine (" + Fix(file) +
           ")");
    } else if (KeepsFromRestarting(file.kind, file.parameters) ==
               SwitchAnswer::kNo) {
      warn(Shown(file) + " is started with " + parameters +
           ", without its no-restart switch: it may restart Windows when "
           "it ends, without asking (" + Fix(file) + ")");
    }
    const std::string response = ResponseFile(file.kind, file.parameters);
    if (response.empty() || Absolute(response)) continue;
    const std::string answers = FolderOf(file.path) + "\\" + response;
    if (platform::FileAtOffsets(answers.c_str()).IsOpen()) continue;
    warn(Shown(file) + " is started with /s and no /v: as an InstallScript "
         "setup it reads its recorded answers from " + answers +
         ", which is not on the disc, and shows its dialogs (record them "
         "with /r and put the file there; for an MSI-based setup, " +
         Fix(file) + ")");
  }
}

void LintStartsTogether(const Report& report, const std::string& place,
                        std::vector<Warning>* warnings) {
  const std::vector<Start> normal = Starts(report, false);
  const std::vector<Start> silent = Starts(report, true);
  const auto normalFound = Together(normal);
  const auto silentFound = Together(silent);
  for (const auto& [section, text] : normalFound) {
    bool both = false;
    for (const auto& found : silentFound) both = both || found.second == text;
    warnings->push_back(Warning{
        section, "",
        "On " + place + (both ? ", in either mode: " : ", without /s: ") + text});
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
    if (KeepsFromRestarting(start.file->kind, start.file->parameters) !=
        SwitchAnswer::kNo)
      continue;
    warnings->push_back(Warning{
        *start.section, "SilentInstall",
        "On " + place + ", " + Shown(*start.file) + " starts beside " +
            std::to_string(silent.size() - 1) +
            (silent.size() == 2 ? " other setup" : " other setups") +
            " without its no-restart switch: it may restart Windows under "
            "them (" + Fix(*start.file) + ")"});
  }
}

}  // namespace pomvarin::check
