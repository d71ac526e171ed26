// FAT12, FAT16 and FAT32 images (a stick without a partition table, as
// mformat writes one), listed as Windows' FAT file system lists them: long
// names, the order entries were written, the attribute byte as it is, no
// "." and ".." at the root.
#pragma once

#include "check/image/image_read.h"

namespace pomvarin::check {

// Whether bytes start with a FAT boot sector whose numbers hold together.
bool LooksLikeFat(ImageBytes& bytes);

void ReadFat(ImageBytes& bytes, std::size_t configurationLimit,
             ImageRead* read);

}  // namespace pomvarin::check
