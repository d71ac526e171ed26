#include "setup/search_and_launch.h"

#include <cstring>

#include "common/text.h"
#include "platform/platform.h"
#include "setup/folder_walk.h"

namespace pomvarin {

namespace {

// "Slience Install", misspelt, is the system's own trace line: tools that
// watch the trace look for it as it is, so it is not to be corrected.
const char kSilentTrace[] = "Slience Install";

class Launch : public SetupFileFound {
 public:
  explicit Launch(bool silent) : silent_(silent) {}

  void OnSetupFile(const char* path, const LaunchSpecParts& parts) override {
    platform::Trace(path);
    if (silent_) platform::Trace(kSilentTrace);
    platform::StartProgram(path, parts.parameters,
                           silent_ ? platform::ShowCommand::kHide
                                   : platform::ShowCommand::kShow);
  }

 private:
  bool silent_;
};

// The file named by the LaunchSpec, at most one per folder. Folders and
// hidden entries of any kind are walked as folders: a hidden file cannot be
// listed, so nothing comes of it.
class SetupSearch : public FolderVisitor {
 public:
  SetupSearch(const LaunchSpecParts& parts, SetupFileFound& found)
      : parts_(parts), found_(found) {}

  WalkStep Visit(const char* path,
                 const platform::DirectoryEntry& entry) override {
    const bool candidate =
        (entry.attributes &
         (platform::kAttributeDirectory | platform::kAttributeHidden)) == 0;
    if (!candidate) return WalkStep::kEnter;
    if (!EqualIgnoringAsciiCase(entry.name, parts_.fileName,
                                parts_.fileNameLength))
      return WalkStep::kNext;
    found_.OnSetupFile(path, parts_);
    return WalkStep::kEndFolder;
  }

 private:
  const LaunchSpecParts& parts_;
  SetupFileFound& found_;
};

}  // namespace

void SearchSetup(const char* root, const char* spec, SetupFileFound& found) {
  const LaunchSpecParts parts = SplitLaunchSpec(spec);
  SetupSearch search(parts, found);
  WalkFolder(root, search);
}

int SearchAndLaunch(const char* root, const char* spec, bool silent) {
  Launch launch(silent);
  SearchSetup(root, spec, launch);
  return 0;
}

}  // namespace pomvarin
