// The system's own folders behind the folder operations of platform.h: its
// current directory, listings and folder identities. The launcher's build
// answers those operations with these (present_listings.cc);
// pomvarin-check's build puts a disc image in front of them while it checks
// one (image/).
#pragma once

#include "platform/platform.h"

namespace pomvarin::platform {

bool ReadSystemCurrentDirectory(Text& directory);
Listing OpenSystemListing(const char* pattern, DirectoryEntry* first);
bool NextSystemEntry(Listing listing, DirectoryEntry* entry);
void CloseSystemListing(Listing listing);
bool ReadSystemFolderIdentity(const char* path, FolderIdentity* identity);

}  // namespace pomvarin::platform
