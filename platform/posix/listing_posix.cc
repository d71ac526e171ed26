// Folder listings in the order the Windows program shows under Wine: "."
// and ".." first, then every other entry sorted without ASCII case (names
// that differ only in case by their bytes).

#include <cstring>
#include <fcntl.h>
#include <memory>
#include <new>
#include <sys/stat.h>

#include "platform/platform.h"
#include "platform/posix/folder_names.h"
#include "platform/posix/posix_common.h"
#include "platform/system_listings.h"

namespace pomvarin::platform {

struct ListingState {
  // Kept open so that entries can be looked at relative to the folder.
  posix::FolderStream folder;
  posix::NameTable names;
  // Entries delivered so far, the two dot entries included.
  std::size_t delivered = 0;
};

namespace {

constexpr char kAllEntries[] = "/*";
constexpr std::size_t kDotEntries = 2;

// Case is folded to lower case, as strcasecmp does: "_" sorts before "a".
bool ListingOrder(const char* a, const char* b) {
  for (std::size_t i = 0;; ++i) {
    const char lowerA = LowerAscii(a[i]);
    const char lowerB = LowerAscii(b[i]);
    if (lowerA != lowerB) {
      return static_cast<unsigned char>(lowerA) <
             static_cast<unsigned char>(lowerB);
    }
    if (a[i] == '\0') break;
  }
  return std::strcmp(a, b) < 0;
}

// The folder of a pattern "folder\*". A bare "\*" is the root folder.
bool PatternFolder(const char* pattern, posix::PosixPath& folder) {
  if (!posix::ToPosixPath(pattern, folder)) return false;
  const std::size_t length = std::strlen(folder);
  const std::size_t suffixLength = sizeof kAllEntries - 1;
  if (length < suffixLength ||
      std::strcmp(folder + length - suffixLength, kAllEntries) != 0)
    return false;
  folder[length - suffixLength] = '\0';
  if (folder[0] == '\0') std::strcpy(folder, "/");
  return true;
}

// The directory and link bits of an entry. A link to a folder is a folder,
// as under Wine, and keeps the link bit so that the search can guard against
// cycles; a link to anything else, or to nothing, is a plain entry. An entry
// gone since the folder was read is no folder.
std::uint32_t TypeAttributes(DIR* folder, const char* name,
                             unsigned char type) {
  struct stat status;
  if (type == DT_UNKNOWN) {
    if (fstatat(dirfd(folder), name, &status, AT_SYMLINK_NOFOLLOW) != 0)
      return 0;
    if (S_ISDIR(status.st_mode)) return kAttributeDirectory;
    if (!S_ISLNK(status.st_mode)) return 0;
  } else if (type == DT_DIR) {
    return kAttributeDirectory;
  } else if (type != DT_LNK) {
    return 0;
  }
  return fstatat(dirfd(folder), name, &status, 0) == 0 &&
                 S_ISDIR(status.st_mode)
             ? kAttributeDirectory | kAttributeLink
             : 0;
}

void DeliverEntry(const char* name, std::uint32_t attributes,
                  DirectoryEntry* entry) {
  std::strcpy(entry->name, name);
  entry->attributes = attributes;
}

}  // namespace

Listing OpenSystemListing(const char* pattern, DirectoryEntry* first) {
  posix::PosixPath folderPath;
  if (!PatternFolder(pattern, folderPath)) return nullptr;
  posix::StateOwner<ListingState> listing(posix::MakeState<ListingState>());
  if (!listing) return nullptr;
  listing->folder.reset(opendir(folderPath));
  if (!listing->folder.get() ||
      !posix::ReadFolderNames(listing->folder.get(), &listing->names))
    return nullptr;
  listing->names.Sort(ListingOrder);
  NextSystemEntry(listing.get(), first);
  return listing.release();
}

bool NextSystemEntry(Listing listing, DirectoryEntry* entry) {
  if (!listing) return false;
  const std::size_t position = listing->delivered;
  if (position == 0) {
    DeliverEntry(".", kAttributeDirectory, entry);
  } else if (position == 1) {
    DeliverEntry("..", kAttributeDirectory, entry);
  } else {
    const std::size_t index = position - kDotEntries;
    if (index >= listing->names.count()) return false;
    const char* name = listing->names.Name(index);
    std::uint32_t attributes =
        TypeAttributes(listing->folder.get(), name, listing->names.Tag(index));
    if (name[0] == '.') attributes |= kAttributeHidden;
    DeliverEntry(name, attributes, entry);
  }
  ++listing->delivered;
  return true;
}

void CloseSystemListing(Listing listing) { posix::ReleaseState(listing); }

}  // namespace pomvarin::platform
