// The folder walk's guard against links: the folders from the vendor folder
// down to the one being walked, and the folders behind links that the walk
// has entered. A folder already on that path, reached again through a link,
// is not entered again, so every cycle ends; nor is a folder behind a link
// that the walk has entered before, so links that fan out cost one walk of
// each folder, not one per path (which grows without bound: two links a
// level give 2^n paths to a folder n levels down).
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace pomvarin {

// The folders behind links that one walk has entered, by identity: a table
// in the platform's memory, so that a look-up costs the same however many
// folders a link leads to.
class LinkedFolders {
 public:
  LinkedFolders() = default;
  LinkedFolders(const LinkedFolders&) = delete;
  LinkedFolders& operator=(const LinkedFolders&) = delete;

  // Adds the folder; false when the walk has entered it already, or when no
  // memory can be had to hold it (the walk then enters no more folders
  // behind links, rather than grow without bound).
  bool AddNew(const platform::FolderIdentity& identity);

 private:
  struct Slot {
    platform::FolderIdentity identity;
    bool used;
  };

  Slot* Find(Slot* slots, std::uint32_t capacity,
             const platform::FolderIdentity& identity) const;
  bool Grow();

  platform::ScopedBuffer table_;
  std::uint32_t capacity_ = 0;  // slots, a power of two
  std::uint32_t count_ = 0;
};

struct FolderOnPath {
  const char* path;
  FolderOnPath* parent;  // nullptr for the vendor folder
  LinkedFolders* linked;  // the walk's
  // This folder, or one above it, was reached through a link.
  bool behindLink;
  bool identityRead;
  platform::FolderIdentity identity;
};

// The folder at path, listed in parent with the attributes; a parent of
// nullptr makes it the vendor folder of a walk that records its linked
// folders in linked.
FolderOnPath FolderBelow(FolderOnPath* parent, const char* path,
                         std::uint32_t attributes, LinkedFolders* linked);

// Whether the search may enter the folder. The vendor folder is entered
// when its identity can be read. Below it only a folder behind a link can
// be one already on the path (a tree has no other way back up; a Linux bind
// mount can show a folder twice, but never without end), so only then are
// its identity and those of the folders above it read, each at most once;
// it is entered when all of them can be read, none equals its own, and the
// walk has not entered it before through another link. Any other folder is
// entered without a query, which spares a costly call per folder of a large
// tree (about 0.6 ms each under Wine).
bool MayEnter(FolderOnPath& folder);

}  // namespace pomvarin
