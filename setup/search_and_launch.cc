#include "setup/search_and_launch.h"

#include <cstdint>
#include <cstring>

#include "common/text.h"
#include "platform/platform.h"
#include "setup/link_guard.h"

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

void SearchFolder(const char* folder, std::uint32_t attributes,
                  const LaunchSpecParts& parts, SetupFileFound& found,
                  FolderOnPath* parent) {
  Text pattern;
  if (!ListingPattern(folder, pattern)) return;
  platform::DirectoryEntry entry;
  platform::Listing listing = platform::OpenListing(pattern, &entry);
  if (!listing) return;
  platform::ScopedListing owner(listing);

  FolderOnPath here = FolderBelow(parent, folder, attributes);
  if (!MayEnter(here)) return;

  // Every entry counts, the first one included: a drive root lists no "."
  // and "..", so its first entry is a real file or folder.
  do {
    if (IsDotEntry(entry.name)) continue;
    Text path;
    if (!JoinPath(path, folder, entry.name)) continue;
    const bool candidate =
        (entry.attributes &
         (platform::kAttributeDirectory | platform::kAttributeHidden)) == 0;
    if (!candidate) {
      SearchFolder(path, entry.attributes, parts, found, &here);
    } else if (EqualIgnoringAsciiCase(entry.name, parts.fileName,
                                      parts.fileNameLength)) {
      found.OnSetupFile(path, parts);
      return;
    }
  } while (platform::NextEntry(listing, &entry));
}

}  // namespace

bool IsDotEntry(const char* name) {
  return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

bool ListingPattern(const char* folder, Text& pattern) {
  return JoinPath(pattern, folder, "*");
}

void SearchSetup(const char* root, const char* spec, SetupFileFound& found) {
  SearchFolder(root, 0, SplitLaunchSpec(spec), found, nullptr);
}

int SearchAndLaunch(const char* root, const char* spec, bool silent) {
  Launch launch(silent);
  SearchSetup(root, spec, launch);
  return 0;
}

}  // namespace pomvarin
