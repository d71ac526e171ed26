// The numbers of a FAT boot sector that say where the table, the root
// folder and the clusters are, and which FAT the volume is.
#pragma once

#include <cstdint>

#include "check/image/image_read.h"

namespace pomvarin::check {

struct FatLayout {
  std::uint32_t bytesPerSector = 0, sectorsPerCluster = 0, reserved = 0,
                fats = 0, rootEntries = 0, fatSectors = 0, total = 0,
                rootCluster = 0, clusters = 0;
  std::uint64_t dataStart = 0;  // in sectors
  ImageTree tree = ImageTree::kFat12;
};

// False when bytes start with no boot sector, or with one whose numbers do
// not hold together.
bool ReadFatLayout(ImageBytes& bytes, FatLayout* layout);

}  // namespace pomvarin::check
