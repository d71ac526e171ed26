// Images no authoring tool writes: made here byte by byte, to hold the
// reader to its limits. The genuine images of the authoring tools are read
// in tests/check/disc_images_test.py.
#include "check/image/image_read.h"

#include <gtest/gtest.h>

#include <string>

#include "check/image/image_limits.h"

namespace pomvarin::check {
namespace {

constexpr std::size_t kSector = 2048;

void PutLittle(std::string& bytes, std::size_t at, std::uint32_t value,
               int size) {
  for (int i = 0; i < size; ++i) bytes[at + i] = static_cast<char>(value >> 8 * i);
}

// One directory record.
std::string Record(const std::string& name, std::uint32_t block,
                   std::uint32_t size, unsigned char flags) {
  std::string record(33 + name.size() + (name.size() % 2 == 0), '\0');
  record[0] = static_cast<char>(record.size());
  PutLittle(record, 2, block, 4);
  PutLittle(record, 10, size, 4);
  record[25] = static_cast<char>(flags);
  record[32] = static_cast<char>(name.size());
  record.replace(33, name.size(), name);
  return record;
}

// An ISO 9660 image of sectors sectors whose root folder is at sector 18.
std::string Iso(std::size_t sectors, std::uint32_t rootSize = kSector) {
  std::string image(sectors * kSector, '\0');
  std::string primary(kSector, '\0');
  primary[0] = 1;
  primary.replace(1, 5, "CD001");
  primary[6] = 1;
  PutLittle(primary, 128, kSector, 2);
  primary.replace(156, 34, Record(std::string(1, '\0'), 18, rootSize, 2));
  image.replace(16 * kSector, kSector, primary);
  image.replace(17 * kSector, 7, std::string("\xff" "CD001\x01", 7));
  return image;
}

// Puts records into the folder at sector, after its "." and "..".
void PutFolder(std::string& image, std::uint32_t sector,
               const std::string& records) {
  const std::string dots = Record(std::string(1, '\0'), sector, kSector, 2) +
                           Record(std::string(1, '\1'), 18, kSector, 2);
  image.replace(sector * kSector, dots.size() + records.size(), dots + records);
}

bool Skipped(const ImageRead& read, const std::string& part) {
  for (const std::string& skip : read.skips)
    if (skip.find(part) != std::string::npos) return true;
  return false;
}

ImageRead Read(const std::string& image) {
  BytesInMemory bytes(image);
  return ReadImage(bytes, 1024);
}

TEST(ImageReadTest, AFolderWhoseRecordsAreAnAncestorsIsNotEntered) {
  std::string image = Iso(20);
  PutFolder(image, 18, Record("A", 19, kSector, 2) + Record("SETUP.EXE;1", 0, 0, 0));
  PutFolder(image, 19, Record("LOOP", 18, kSector, 2));
  const ImageRead read = Read(image);
  ASSERT_TRUE(read.read) << read.error;
  EXPECT_TRUE(Skipped(read, "\\A\\LOOP: its records are those of a folder above it"));
  EXPECT_EQ(read.entryCount, 3u);
  // The record of a file keeps its name without the version.
  EXPECT_EQ(read.folders.folders[0].entries[1].name, "SETUP.EXE");
}

TEST(ImageReadTest, FoldersPastTheEndOrLyingOfTheirSizeAreNamed) {
  std::string image = Iso(20);
  PutFolder(image, 18,
            Record("GONE", 5000, kSector, 2) + Record("HUGE", 19, 0xFFFFFFFF, 2));
  const ImageRead read = Read(image);
  ASSERT_TRUE(read.read) << read.error;
  EXPECT_TRUE(Skipped(read, "\\GONE: its records run past the end"));
  EXPECT_TRUE(Skipped(read, "\\HUGE: its records say 4294967295 bytes"));
}

TEST(ImageReadTest, ADeepChainOfFoldersStopsAtTheDepthLimit) {
  const std::uint32_t depth = kImageDepthLimit + 20;
  std::string image = Iso(19 + depth + 1);
  PutFolder(image, 18, Record("D", 19, kSector, 2));
  for (std::uint32_t level = 0; level < depth; ++level)
    PutFolder(image, 19 + level, Record("D", 20 + level, kSector, 2));
  const ImageRead read = Read(image);
  ASSERT_TRUE(read.read) << read.error;
  EXPECT_TRUE(Skipped(read, "deeper than 128 folders"));
  // The root and the 127 levels below it: a deeper folder can never be
  // listed, its pattern alone passing 259 characters.
  EXPECT_EQ(read.folders.folders.size(), kImageDepthLimit);
}

TEST(ImageReadTest, FoldersSharedUnderManyNamesAreBoundedByTheLimits) {
  // Each level names the next twice: 2^40 paths over 41 sectors.
  const std::uint32_t levels = 40;
  std::string image = Iso(19 + levels + 1);
  for (std::uint32_t level = 0; level <= levels; ++level)
    PutFolder(image, 18 + level,
              level == levels ? Record("SETUP.EXE;1", 0, 0, 0)
                              : Record("L", 19 + level, kSector, 2) +
                                    Record("R", 19 + level, kSector, 2));
  const ImageRead read = Read(image);
  ASSERT_TRUE(read.read) << read.error;
  EXPECT_LE(read.entryCount, kImageEntryLimit);
  EXPECT_TRUE(Skipped(read, "not read (the image's folders hold more than"));
}

TEST(ImageReadTest, AJolietDescriptorAfterTheTerminatorIsNotRead) {
  std::string image = Iso(21);
  PutFolder(image, 18, Record("PRIMARY.TXT;1", 0, 0, 0));
  std::string joliet(kSector, '\0');
  joliet[0] = 2;
  joliet.replace(1, 5, "CD001");
  joliet[6] = 1;
  joliet.replace(88, 3, "%/E");
  joliet.replace(156, 34, Record(std::string(1, '\0'), 19, kSector, 2));
  image.replace(20 * kSector, kSector, joliet);  // past the terminator at 17
  const ImageRead read = Read(image);
  ASSERT_TRUE(read.read) << read.error;
  EXPECT_EQ(read.tree, ImageTree::kIso9660);
  EXPECT_EQ(read.folders.folders[0].entries[0].name, "PRIMARY.TXT");
}

// A FAT12 volume of 64 sectors of 512 bytes: boot, table, root, clusters.
std::string Fat12() {
  std::string image(64 * 512, '\0');
  image[0] = '\xEB';
  PutLittle(image, 11, 512, 2);
  image[13] = 1;
  PutLittle(image, 14, 1, 2);
  image[16] = 1;
  PutLittle(image, 17, 16, 2);
  PutLittle(image, 19, 64, 2);
  PutLittle(image, 22, 1, 2);
  image[510] = '\x55';
  image[511] = '\xAA';
  return image;
}

std::string FatEntry(const std::string& elevenBytes, unsigned char attributes,
                     std::uint32_t cluster) {
  std::string entry(32, '\0');
  entry.replace(0, 11, elevenBytes);
  entry[11] = static_cast<char>(attributes);
  PutLittle(entry, 26, cluster, 2);
  return entry;
}

TEST(ImageReadTest, AFatChainThatLoopsIsReadOnce) {
  std::string image = Fat12();
  // Cluster 2's chain leads back to 2; its folder names itself below it.
  image[512 + 3] = 0x02;  // FAT12 entry 2: the low byte at 3, shared at 4
  image.replace(2 * 512, 32, FatEntry("SUB        ", 0x10, 2));
  image.replace(3 * 512, 32, FatEntry("SELF       ", 0x10, 2));
  const ImageRead read = Read(image);
  ASSERT_TRUE(read.read) << read.error;
  EXPECT_EQ(read.tree, ImageTree::kFat12);
  EXPECT_TRUE(Skipped(read, "\\SUB: its cluster chain loops; read once"));
  EXPECT_TRUE(Skipped(read, "\\SUB\\SELF: its clusters are those of a folder above it"));
}

TEST(ImageReadTest, ImagesOfNoKnownKindAreRefusedWithTheirReason) {
  EXPECT_EQ(Read(std::string(64 * 1024, '\0')).error,
            "neither an ISO 9660 nor a FAT image");
  std::string image = Iso(20);
  PutLittle(image, 16 * kSector + 128, 700, 2);
  EXPECT_EQ(Read(image).error,
            "an ISO 9660 image with a block size of 700 bytes");
}

}  // namespace
}  // namespace pomvarin::check
