// The setup search's guard against link cycles: the folders from the vendor
// folder down to the one being searched. A folder already on that path,
// reached again through a link, is not entered again, so every cycle ends.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace pomvarin {

struct FolderOnPath {
  const char* path;
  FolderOnPath* parent;  // nullptr for the vendor folder
  // This folder, or one above it, was reached through a link.
  bool behindLink;
  bool identityRead;
  platform::FolderIdentity identity;
};

// The folder at path, listed in parent with the attributes; a parent of
// nullptr makes it the vendor folder.
FolderOnPath FolderBelow(FolderOnPath* parent, const char* path,
                         std::uint32_t attributes);

// Whether the search may enter the folder. The vendor folder is entered
// when its identity can be read. Below it only a folder behind a link can
// be one already on the path (a tree has no other way back up; a Linux bind
// mount can show a folder twice, but never without end), so only then are
// its identity and those of the folders above it read, each at most once;
// it is entered when all of them can be read and none equals its own. Any
// other folder is entered without a query, which spares a costly call per
// folder of a large tree (about 0.6 ms each under Wine).
bool MayEnter(FolderOnPath& folder);

}  // namespace pomvarin
