// The launcher's folders are the system's own.
#include "platform/platform.h"
#include "platform/system_listings.h"

namespace pomvarin::platform {

bool ReadCurrentDirectory(Text& directory) {
  return ReadSystemCurrentDirectory(directory);
}

Listing OpenListing(const char* pattern, DirectoryEntry* first) {
  return OpenSystemListing(pattern, first);
}

bool NextEntry(Listing listing, DirectoryEntry* entry) {
  return NextSystemEntry(listing, entry);
}

void CloseListing(Listing listing) { CloseSystemListing(listing); }

bool ReadFolderIdentity(const char* path, FolderIdentity* identity) {
  return ReadSystemFolderIdentity(path, identity);
}

}  // namespace pomvarin::platform
