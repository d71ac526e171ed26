// Which file of a folder is its setup, ranked by name and installer kind.
#include "check/init/setup_programs.h"

#include <cstring>
#include <map>

#include "common/ascii.h"
#include "setup/folder_walk.h"

namespace pomvarin::check {

namespace {

bool IsInstaller(SetupKind kind) {
  return kind == SetupKind::kNsis || kind == SetupKind::kInnoSetup ||
         kind == SetupKind::kBurnBundle || kind == SetupKind::kInstallShield;
}

// How likely a file is to be its folder's setup: 0 not at all, then the
// higher the likelier. A program that says it sets up comes first, then
// one of an installer's kind, then a Windows Installer package (often what
// such a program unpacks and runs), then scripts. Only programs are read.
int SetupRank(const char* path, const std::string& name, SetupKind* kind) {
  const std::string lower = LowerAscii(name);
  const std::size_t dot = lower.rfind('.');
  if (dot == std::string::npos) return 0;
  const std::string stem = lower.substr(0, dot);
  const std::string extension = lower.substr(dot + 1);
  const bool setupStem = stem == "setup" || stem == "install";
  const bool script = extension == "bat" || extension == "cmd" || extension == "sh";
  if (extension != "exe" && extension != "msi" && !(script && setupStem)) return 0;
  *kind = RecogniseSetupKind(path);
  if (extension == "exe") return setupStem ? 5 : IsInstaller(*kind) ? 4 : 0;
  if (extension == "msi") return setupStem ? 3 : 2;
  return 1;
}

class SetupFinder : public FolderVisitor {
 public:
  explicit SetupFinder(std::vector<SetupProgram>* found) : found_(found) {}

  WalkStep Visit(const char* path,
                 const platform::DirectoryEntry& entry) override {
    if (entry.attributes & platform::kAttributeDirectory) return WalkStep::kEnter;
    // A hidden file is never started by the launcher.
    if (entry.attributes & platform::kAttributeHidden) return WalkStep::kNext;
    SetupKind kind = SetupKind::kUnknownProgram;
    const int rank = SetupRank(path, entry.name, &kind);
    if (rank == 0) return WalkStep::kNext;
    const std::string file = path;
    const std::string folder = file.substr(0, file.size() - std::strlen(entry.name) - 1);
    const auto [best, fresh] = indexOf_.try_emplace(folder, found_->size());
    if (fresh) {
      found_->push_back(SetupProgram{folder, entry.name, file, kind});
      ranks_.push_back(rank);
    } else if (rank > ranks_[best->second] ||
               (rank == ranks_[best->second] &&
                LowerAscii(entry.name) < LowerAscii((*found_)[best->second].name))) {
      (*found_)[best->second] = SetupProgram{folder, entry.name, file, kind};
      ranks_[best->second] = rank;
    }
    return WalkStep::kNext;
  }

 private:
  std::vector<SetupProgram>* found_;
  std::vector<int> ranks_;                  // of found_, by index
  std::map<std::string, std::size_t> indexOf_;  // by folder
};

}  // namespace

std::vector<SetupProgram> FindSetupPrograms(const std::string& disc) {
  std::vector<SetupProgram> found;
  SetupFinder finder(&found);
  WalkFolder(disc.c_str(), finder);
  return found;
}

}  // namespace pomvarin::check
