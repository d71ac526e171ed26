// A disc or stick image read the way Windows' own file systems list it:
// which tree they read, each folder's entries in their listing order with
// their names and attributes, and the image's Pomvarin.ini. Told by the
// image's content, never its name. An image is hostile input: what passes
// the limits of image_limits.h is a named skip, never an endless read.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "check/image/image_bytes.h"
#include "platform/image/image_folders.h"

namespace pomvarin::check {

enum class ImageTree { kIso9660, kJoliet, kFat12, kFat16, kFat32 };

// The tree's name in reports: "iso9660", "joliet", "fat12", ...
const char* TreeName(ImageTree tree);

struct ImageRead {
  bool read = false;
  std::string error;  // when not read: why, for people
  ImageTree tree = ImageTree::kIso9660;
  platform::ImageFolders folders;
  // What was passed over or cut short, each naming its place; for people.
  std::vector<std::string> skips;
  bool hasConfiguration = false;
  // Pomvarin.ini's first configurationLimit + 1 bytes.
  std::string configuration;
  std::size_t entryCount = 0;  // every entry of every folder read
};

ImageRead ReadImage(ImageBytes& bytes, std::size_t configurationLimit);

}  // namespace pomvarin::check
