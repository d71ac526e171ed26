#include "check/image/fat_layout.h"

#include "check/image/tree_builder.h"

namespace pomvarin::check {

namespace {

bool PowerOfTwo(std::uint32_t n) { return n && (n & (n - 1)) == 0; }

}  // namespace

bool ReadFatLayout(ImageBytes& bytes, FatLayout* layout) {
  std::string boot;
  if (!bytes.Read(0, 512, &boot) || boot.size() < 512) return false;
  const unsigned char jump = static_cast<unsigned char>(boot[0]);
  if ((jump != 0xEB && jump != 0xE9) ||
      static_cast<unsigned char>(boot[510]) != 0x55 ||
      static_cast<unsigned char>(boot[511]) != 0xAA)
    return false;
  FatLayout& l = *layout;
  l.bytesPerSector = LittleEndian(boot, 11, 2);
  l.sectorsPerCluster = static_cast<unsigned char>(boot[13]);
  l.reserved = LittleEndian(boot, 14, 2);
  l.fats = static_cast<unsigned char>(boot[16]);
  l.rootEntries = LittleEndian(boot, 17, 2);
  l.total = LittleEndian(boot, 19, 2);
  if (l.total == 0) l.total = LittleEndian(boot, 32, 4);
  l.fatSectors = LittleEndian(boot, 22, 2);
  if (l.fatSectors == 0) l.fatSectors = LittleEndian(boot, 36, 4);
  l.rootCluster = LittleEndian(boot, 44, 4);
  if (l.bytesPerSector < 512 || l.bytesPerSector > 4096 ||
      !PowerOfTwo(l.bytesPerSector) || !PowerOfTwo(l.sectorsPerCluster) ||
      l.reserved == 0 || l.fats == 0 || l.fatSectors == 0)
    return false;
  const std::uint64_t rootSectors =
      (std::uint64_t{l.rootEntries} * 32 + l.bytesPerSector - 1) /
      l.bytesPerSector;
  l.dataStart = l.reserved + std::uint64_t{l.fats} * l.fatSectors + rootSectors;
  if (l.total <= l.dataStart) return false;
  l.clusters =
      static_cast<std::uint32_t>((l.total - l.dataStart) / l.sectorsPerCluster);
  l.tree = l.clusters < 4085    ? ImageTree::kFat12
           : l.clusters < 65525 ? ImageTree::kFat16
                                : ImageTree::kFat32;
  return true;
}

}  // namespace pomvarin::check
