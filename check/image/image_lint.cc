#include "check/image/image_lint.h"

#include <string>

#include "common/text.h"
#include "platform/image/image_folders.h"
#include "platform/platform.h"
#include "setup/folder_walk.h"
#include "setup/launch_spec.h"

namespace pomvarin::check {

namespace {

// The hidden files of the LaunchSpec's name, met as the search walks (it enters
// every folder, hidden ones too).
class HiddenSetups : public FolderVisitor {
 public:
  explicit HiddenSetups(const LaunchSpecParts& parts) : parts_(parts) {}

  WalkStep Visit(const char* path,
                 const platform::DirectoryEntry& entry) override {
    if (entry.attributes & platform::kAttributeDirectory)
      return WalkStep::kEnter;
    if ((entry.attributes & platform::kAttributeHidden) &&
        EqualIgnoringAsciiCase(entry.name, parts_.fileName,
                               parts_.fileNameLength))
      paths.push_back(path);
    return WalkStep::kNext;
  }
  std::vector<std::string> paths;

 private:
  const LaunchSpecParts& parts_;
};

}  // namespace

bool CheckingAnImage() {
  Text current;
  return platform::ReadCurrentDirectory(current) &&
         platform::ImageFolderAt(current) != platform::kNoFolder;
}

void LintHiddenOnImage(const EntryReport& entry, const char* key,
                       const char* spec, std::vector<Warning>* warnings) {
  const LaunchSpecParts parts = SplitLaunchSpec(spec);
  if (parts.fileNameLength == 0) return;
  HiddenSetups hidden(parts);
  WalkFolder(entry.root.c_str(), hidden);
  for (const std::string& path : hidden.paths)
    warnings->push_back(Warning{
        entry.section, key,
        path + " is hidden on the image: the launcher never starts it, "
               "though it would from a folder where the file is not hidden"});
}

}  // namespace pomvarin::check
