#include "check/image/image_read.h"

#include "check/image/fat.h"
#include "check/image/iso9660.h"

namespace pomvarin::check {

const char* TreeName(ImageTree tree) {
  switch (tree) {
    case ImageTree::kIso9660: return "iso9660";
    case ImageTree::kJoliet: return "joliet";
    case ImageTree::kFat12: return "fat12";
    case ImageTree::kFat16: return "fat16";
    case ImageTree::kFat32: return "fat32";
  }
  return "";
}

ImageRead ReadImage(ImageBytes& bytes, std::size_t configurationLimit) {
  ImageRead read;
  if (LooksLikeIso9660(bytes))
    ReadIso9660(bytes, configurationLimit, &read);
  else if (LooksLikeFat(bytes))
    ReadFat(bytes, configurationLimit, &read);
  else
    read.error = "neither an ISO 9660 nor a FAT image";
  return read;
}

}  // namespace pomvarin::check
