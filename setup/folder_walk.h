// The walk of a folder tree that the setup search makes, for every walk of
// the system's: depth-first, in the order the platform lists each folder,
// with the search's rules on names, path lengths and links.
#pragma once

#include "common/text.h"
#include "platform/platform.h"

namespace pomvarin {

// What the walk does after one entry.
enum class WalkStep {
  kNext,       // go on with the folder's next entry
  kEnter,      // walk the entry as a folder first (nothing when it cannot be
               // listed), then go on
  kEndFolder,  // end the walk of this folder; the folders above go on
};

class FolderVisitor {
 public:
  // One entry of a folder being walked, never "." or "..", with its path
  // (the folder, "\" and the entry's name).
  virtual WalkStep Visit(const char* path,
                         const platform::DirectoryEntry& entry) = 0;

  // An entry of folder whose path would pass the path limit: the walk
  // passes over it.
  virtual void PassOver(const char* folder,
                        const platform::DirectoryEntry& entry) {
    (void)folder;
    (void)entry;
  }

 protected:
  ~FolderVisitor() = default;
};

// The pattern that lists folder: folder + "\*". False when that passes the
// path limit: such a folder is never walked.
bool ListingPattern(const char* folder, Text& pattern);

// Walks the tree below folder, handing every entry to visitor. An entry
// whose path would pass the path limit is passed over, and a folder behind
// a link is not entered again while it is on the path that leads to it
// (link_guard.h). False when folder itself cannot be listed.
bool WalkFolder(const char* folder, FolderVisitor& visitor);

}  // namespace pomvarin
