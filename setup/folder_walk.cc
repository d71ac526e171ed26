#include "setup/folder_walk.h"

#include <cstdint>

#include "setup/link_guard.h"

namespace pomvarin {

namespace {

bool WalkBelow(const char* folder, std::uint32_t attributes,
               FolderOnPath* parent, LinkedFolders* linked,
               FolderVisitor& visitor) {
  Text pattern;
  if (!ListingPattern(folder, pattern)) return false;
  platform::DirectoryEntry entry;
  const platform::ScopedListing listing(platform::OpenListing(pattern, &entry));
  if (!listing) return false;

  FolderOnPath here = FolderBelow(parent, folder, attributes, linked);
  if (!MayEnter(here)) return false;

  // Every entry counts, the first one included: a drive root lists no "."
  // and "..", so its first entry is a real file or folder.
  do {
    if (IsDotEntry(entry.name)) continue;
    Text path;
    if (!JoinPath(path, folder, entry.name)) {
      visitor.PassOver(folder, entry);
      continue;
    }
    const WalkStep step = visitor.Visit(path, entry);
    if (step == WalkStep::kEndFolder) break;
    if (step == WalkStep::kEnter)
      WalkBelow(path, entry.attributes, &here, linked, visitor);
  } while (platform::NextEntry(listing.get(), &entry));
  return true;
}

}  // namespace

bool ListingPattern(const char* folder, Text& pattern) {
  return JoinPath(pattern, folder, "*");
}

bool WalkFolder(const char* folder, FolderVisitor& visitor) {
  LinkedFolders linked;
  return WalkBelow(folder, 0, nullptr, &linked, visitor);
}

}  // namespace pomvarin
