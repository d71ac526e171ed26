#include <cstring>
#include <new>

#include "common/ascii.h"
#include "platform/image/image_folders.h"
#include "platform/platform.h"
#include "platform/system_listings.h"

namespace pomvarin::platform {

namespace {

const ScopedImage* image = nullptr;

// What stands for the image's folders among the system's volumes.
constexpr std::uint64_t kImageVolume = 0x494D414745ull;

struct ImageListing {
  std::uint32_t folder;
  std::size_t delivered = 0;  // entries so far, the dots included
};

ImageListing* AsImageListing(Listing listing) {
  return reinterpret_cast<ImageListing*>(listing);
}

struct Part {
  const char* at;
  std::size_t length;
};

bool SameName(const std::string& name, const Part& part) {
  if (name.size() != part.length) return false;
  for (std::size_t i = 0; i < part.length; ++i)
    if (LowerAscii(name[i]) != LowerAscii(part.at[i])) return false;
  return true;
}

// The parts of a path on the image's drive, "\" runs read as one; false
// for a path elsewhere.
bool SplitPath(const char* path, std::vector<Part>* parts) {
  if (!image || LowerAscii(path[0]) != LowerAscii(image->drive()) ||
      path[1] != ':' || path[2] != '\\')
    return false;
  for (const char* at = path + 2; *at;) {
    while (*at == '\\') ++at;
    std::size_t length = 0;
    while (at[length] && at[length] != '\\') ++length;
    if (length > 0) parts->push_back(Part{at, length});
    at += length;
  }
  return true;
}

// The folder the first count parts lead to, "." and ".." read as the
// system reads them, each other part the first entry of its name (ASCII
// case ignored, as the file systems of discs and sticks compare names).
std::uint32_t FolderOf(const std::vector<Part>& parts, std::size_t count) {
  std::vector<std::uint32_t> trail{0};
  for (std::size_t i = 0; i < count; ++i) {
    if (SameName(".", parts[i])) continue;
    if (SameName("..", parts[i])) {
      if (trail.size() > 1) trail.pop_back();
      continue;
    }
    std::uint32_t next = kNoFolder;
    for (const ImageEntry& entry :
         image->folders().folders[trail.back()].entries) {
      if (SameName(entry.name, parts[i])) {
        next = entry.folder;
        break;
      }
    }
    if (next == kNoFolder) return kNoFolder;
    trail.push_back(next);
  }
  return trail.back();
}

void Deliver(const char* name, std::uint32_t attributes,
             DirectoryEntry* entry) {
  // Names were cut to the Text when the image was read.
  std::strcpy(entry->name, name);
  entry->attributes = attributes;
}

bool DeliverNext(ImageListing* listing, DirectoryEntry* entry) {
  const ImageFolder& folder = image->folders().folders[listing->folder];
  const std::size_t dots = folder.dots ? 2 : 0;
  const std::size_t at = listing->delivered;
  if (at < dots) {
    Deliver(at == 0 ? "." : "..", kAttributeDirectory | kAttributeReadOnly,
            entry);
  } else if (at - dots < folder.entries.size()) {
    const ImageEntry& next = folder.entries[at - dots];
    Deliver(next.name.c_str(), next.attributes, entry);
  } else {
    return false;
  }
  ++listing->delivered;
  return true;
}

}  // namespace

ScopedImage::ScopedImage(const ImageFolders& folders, char drive,
                         const std::string& configurationCopy)
    : folders_(folders),
      drive_(drive),
      configurationCopy_(configurationCopy),
      replaced_(const_cast<ScopedImage*>(image)) {
  image = this;
}

ScopedImage::~ScopedImage() { image = replaced_; }

std::uint32_t ImageFolderAt(const char* path) {
  std::vector<Part> parts;
  if (!SplitPath(path, &parts)) return kNoFolder;
  return FolderOf(parts, parts.size());
}

const char* FileHolding(const char* path) {
  if (!image) return path;
  std::vector<Part> parts;
  if (image->configurationCopy().empty() || !SplitPath(path, &parts) ||
      parts.empty() || !SameName("Pomvarin.ini", parts.back()) ||
      FolderOf(parts, parts.size() - 1) != 0)
    return nullptr;
  return image->configurationCopy().c_str();
}

bool ReadCurrentDirectory(Text& directory) {
  if (!image) return ReadSystemCurrentDirectory(directory);
  const char root[] = {image->drive(), ':', '\\', '\0'};
  std::memcpy(directory, root, sizeof root);
  return true;
}

Listing OpenListing(const char* pattern, DirectoryEntry* first) {
  if (!image) return OpenSystemListing(pattern, first);
  const std::size_t length = std::strlen(pattern);
  if (length < 2 || std::strcmp(pattern + length - 2, "\\*") != 0)
    return nullptr;
  const std::string folderPath(pattern, length - 2);
  const std::uint32_t folder = ImageFolderAt(folderPath.c_str());
  if (folder == kNoFolder || !image->folders().folders[folder].listable)
    return nullptr;
  ImageListing* listing = new (std::nothrow) ImageListing{folder};
  if (!listing) return nullptr;
  // A listing with no entry at all fails to open, as an empty root does.
  if (!DeliverNext(listing, first)) {
    delete listing;
    return nullptr;
  }
  return reinterpret_cast<Listing>(listing);
}

bool NextEntry(Listing listing, DirectoryEntry* entry) {
  if (!image) return NextSystemEntry(listing, entry);
  return listing && DeliverNext(AsImageListing(listing), entry);
}

void CloseListing(Listing listing) {
  if (!image) return CloseSystemListing(listing);
  delete AsImageListing(listing);
}

bool ReadFolderIdentity(const char* path, FolderIdentity* identity) {
  if (!image) return ReadSystemFolderIdentity(path, identity);
  const std::uint32_t folder = ImageFolderAt(path);
  if (folder == kNoFolder) return false;
  *identity = FolderIdentity{kImageVolume, folder};
  return true;
}

}  // namespace pomvarin::platform
