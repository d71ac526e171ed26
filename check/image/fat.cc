#include "check/image/fat.h"
#include "check/image/fat_layout.h"

#include <algorithm>
#include <vector>

#include "common/ascii.h"
#include "check/image/image_limits.h"
#include "check/image/tree_builder.h"

namespace pomvarin::check {

namespace {

constexpr std::uint64_t kFatTableLimit = 64ull << 20;
constexpr unsigned char kLongName = 0x0F, kVolumeLabel = 0x08,
                        kFolder = 0x10;

struct ShortEntry {
  std::string name;
  unsigned char attributes = 0;
  std::uint32_t cluster = 0;
  std::uint32_t size = 0;
};

class FatReader {
 public:
  FatReader(ImageBytes& bytes, const FatLayout& layout, ImageRead* read)
      : bytes_(bytes), layout_(layout), tree_(read) {}

  bool ReadTable();
  std::uint32_t NewRoot() { return tree_.NewFolder(false); }
  void ReadFolder(std::uint32_t cluster, std::uint32_t folder,
                  const std::string& path, std::vector<std::uint32_t>* trail);
  bool ReadConfiguration(std::size_t limit, std::string* bytes);

 private:
  // The clusters of the chain from first on, up to limit bytes' worth; a
  // chain that loops or leaves the volume ends there, named as a skip.
  std::vector<std::uint32_t> Chain(std::uint32_t first, std::uint64_t limit,
                                   const std::string& path);
  std::uint32_t Next(std::uint32_t cluster) const;
  std::string ReadChain(std::uint32_t first, std::uint64_t limit,
                        const std::string& path);

  ImageBytes& bytes_;
  const FatLayout& layout_;
  TreeBuilder tree_;
  std::string table_;
  bool hasConfiguration_ = false;
  ShortEntry configuration_;
};

bool FatReader::ReadTable() {
  const std::uint64_t size =
      std::uint64_t{layout_.fatSectors} * layout_.bytesPerSector;
  if (size > kFatTableLimit) return false;
  return ReadInPieces(bytes_,
                      std::uint64_t{layout_.reserved} * layout_.bytesPerSector,
                      size, &table_);
}

std::uint32_t FatReader::Next(std::uint32_t cluster) const {
  switch (layout_.tree) {
    case ImageTree::kFat12: {
      const std::size_t at = cluster + cluster / 2;
      if (at + 2 > table_.size()) return 0;
      const std::uint32_t pair = LittleEndian(table_, at, 2);
      const std::uint32_t next = cluster & 1 ? pair >> 4 : pair & 0xFFF;
      return next >= 0xFF8 ? 0x0FFFFFFF : next;
    }
    case ImageTree::kFat16: {
      if (2 * std::size_t{cluster} + 2 > table_.size()) return 0;
      const std::uint32_t next = LittleEndian(table_, 2 * cluster, 2);
      return next >= 0xFFF8 ? 0x0FFFFFFF : next;
    }
    default:
      if (4 * std::size_t{cluster} + 4 > table_.size()) return 0;
      return LittleEndian(table_, 4 * cluster, 4) & 0x0FFFFFFF;
  }
}

std::vector<std::uint32_t> FatReader::Chain(std::uint32_t first,
                                            std::uint64_t limit,
                                            const std::string& path) {
  std::vector<std::uint32_t> chain;
  const std::uint64_t clusterBytes =
      std::uint64_t{layout_.bytesPerSector} * layout_.sectorsPerCluster;
  for (std::uint32_t at = first; chain.size() * clusterBytes < limit;) {
    if (at < 2 || at >= layout_.clusters + 2) {
      tree_.Skip(path + ": its cluster chain leaves the volume; read so far");
      break;
    }
    chain.push_back(at);
    if (chain.size() > layout_.clusters) {
      tree_.Skip(path + ": its cluster chain loops; read once");
      break;
    }
    at = Next(at);
    if (at >= 0x0FFFFFF8) break;
  }
  return chain;
}

std::string FatReader::ReadChain(std::uint32_t first, std::uint64_t limit,
                                 const std::string& path) {
  const std::uint64_t clusterBytes =
      std::uint64_t{layout_.bytesPerSector} * layout_.sectorsPerCluster;
  std::string data, piece;
  for (const std::uint32_t cluster : Chain(first, limit, path)) {
    const std::uint64_t sector =
        layout_.dataStart + std::uint64_t{cluster - 2} * layout_.sectorsPerCluster;
    if (!bytes_.Read(sector * layout_.bytesPerSector, clusterBytes, &piece))
      break;
    data += piece;
    if (piece.size() < clusterBytes) {
      tree_.Skip(path + ": its clusters run past the end of the image");
      break;
    }
  }
  return data;
}

// The long name's 13 characters of one entry, at their places.
void AddLongPiece(const std::string& e, std::vector<std::uint16_t>* units) {
  static const int kOffsets[] = {1, 3, 5, 7, 9, 14, 16, 18, 20, 22, 24, 28, 30};
  const std::size_t place = ((static_cast<unsigned char>(e[0]) & 0x1F) - 1) * 13;
  if (units->size() < place + 13) units->resize(place + 13, 0xFFFF);
  for (int i = 0; i < 13; ++i)
    (*units)[place + i] =
        static_cast<std::uint16_t>(LittleEndian(e, kOffsets[i], 2));
}

unsigned char ShortChecksum(const std::string& e) {
  unsigned char sum = 0;
  for (int i = 0; i < 11; ++i)
    sum = static_cast<unsigned char>(((sum & 1) << 7) + (sum >> 1) +
                                     static_cast<unsigned char>(e[i]));
  return sum;
}

std::string ShortName(const std::string& e) {
  std::string base = e.substr(0, 8), extension = e.substr(8, 3);
  if (static_cast<unsigned char>(base[0]) == 0x05) base[0] = '\xE5';
  while (!base.empty() && base.back() == ' ') base.pop_back();
  while (!extension.empty() && extension.back() == ' ') extension.pop_back();
  // The case bits that a name in one case throughout is written with.
  const unsigned char cases = static_cast<unsigned char>(e[12]);
  if (cases & 0x08) base = LowerAscii(base);
  if (cases & 0x10) extension = LowerAscii(extension);
  return extension.empty() ? base : base + "." + extension;
}

}  // namespace

void FatReader::ReadFolder(std::uint32_t cluster, std::uint32_t folder,
                           const std::string& path,
                           std::vector<std::uint32_t>* trail) {
  std::string data;
  if (cluster == 0) {
    // The fixed root folder of FAT12 and FAT16.
    const std::uint64_t start =
        (layout_.reserved + std::uint64_t{layout_.fats} * layout_.fatSectors) *
        layout_.bytesPerSector;
    bytes_.Read(start, std::uint64_t{layout_.rootEntries} * 32, &data);
  } else {
    data = ReadChain(cluster, kFolderBytesLimit, path);
  }
  if (!tree_.MayReadFolderBytes(data.size())) {
    tree_.Skip(path + ": not read (the image's folders hold more than " +
               std::to_string(kAllFolderBytesLimit) + " bytes)");
    return;
  }
  trail->push_back(cluster);
  std::vector<std::uint16_t> units;
  int expected = 0;  // the next long-name piece's number, 0 for none
  unsigned char checksum = 0;
  for (std::size_t at = 0; at + 32 <= data.size(); at += 32) {
    const std::string e = data.substr(at, 32);
    const unsigned char first = static_cast<unsigned char>(e[0]);
    if (first == 0) break;
    const unsigned char attributes = static_cast<unsigned char>(e[11]);
    if (first == 0xE5) {
      expected = 0;
      continue;
    }
    if ((attributes & 0x3F) == kLongName) {
      const int number = first & 0x1F;
      if (first & 0x40) {
        units.clear();
        expected = number;
        checksum = static_cast<unsigned char>(e[13]);
      }
      if (number == 0 || number != expected ||
          checksum != static_cast<unsigned char>(e[13])) {
        expected = 0;
        continue;
      }
      AddLongPiece(e, &units);
      --expected;
      continue;
    }
    const bool longName = expected == 0 && !units.empty() &&
                          ShortChecksum(e) == checksum;
    std::string name;
    if (longName) {
      for (const std::uint16_t unit : units) {
        if (unit == 0 || unit == 0xFFFF) break;
        name += AnsiOf(unit);
      }
    }
    units.clear();
    expected = 0;
    if (attributes & kVolumeLabel) continue;
    const std::string shortName = ShortName(e);
    if (shortName == "." || shortName == "..") continue;
    if (name.empty()) name = shortName;
    if (name.empty()) continue;  // its path would be its folder's own
    ShortEntry entry{name, attributes,
                     LittleEndian(e, 26, 2) |
                         (layout_.tree == ImageTree::kFat32
                              ? LittleEndian(e, 20, 2) << 16
                              : 0u),
                     LittleEndian(e, 28, 4)};
    const bool isFolder = (attributes & kFolder) != 0;
    if (path.empty() && !isFolder && !hasConfiguration_ &&
        (LowerAscii(name) == "pomvarin.ini" ||
         LowerAscii(shortName) == "pomvarin.ini")) {
      hasConfiguration_ = true;
      configuration_ = entry;
    }
    if (!tree_.Add(folder, platform::ImageEntry{name, attributes & 0x37u,
                                                platform::kNoFolder}))
      break;
    if (!isFolder) continue;
    const std::string below = Below(path, name);
    if (entry.cluster == 0 ||
        std::find(trail->begin(), trail->end(), entry.cluster) != trail->end()) {
      tree_.Skip(below + ": its clusters are those of a folder above it; "
                 "it is not entered");
      continue;
    }
    if (trail->size() >= kImageDepthLimit) {
      tree_.Skip(below + ": deeper than " + std::to_string(kImageDepthLimit) +
                 " folders; not read");
      continue;
    }
    const std::uint32_t child = tree_.NewFolder(true);
    if (child == platform::kNoFolder) break;
    tree_.folder(folder).entries.back().folder = child;
    ReadFolder(entry.cluster, child, below, trail);
  }
  trail->pop_back();
}

bool FatReader::ReadConfiguration(std::size_t limit, std::string* bytes) {
  if (!hasConfiguration_) return false;
  *bytes = configuration_.size == 0
               ? std::string()
               : ReadChain(configuration_.cluster, limit + 1, "\\Pomvarin.ini");
  if (bytes->size() > configuration_.size) bytes->resize(configuration_.size);
  if (bytes->size() > limit + 1) bytes->resize(limit + 1);
  return true;
}

bool LooksLikeFat(ImageBytes& bytes) {
  FatLayout layout;
  return ReadFatLayout(bytes, &layout);
}

void ReadFat(ImageBytes& bytes, std::size_t configurationLimit,
             ImageRead* read) {
  FatLayout layout;
  ReadFatLayout(bytes, &layout);
  read->tree = layout.tree;
  FatReader reader(bytes, layout, read);
  if (!reader.ReadTable()) {
    read->error = "a FAT image whose table cannot be read";
    return;
  }
  std::vector<std::uint32_t> trail;
  const std::uint32_t root =
      layout.tree == ImageTree::kFat32 ? layout.rootCluster : 0;
  reader.ReadFolder(root, reader.NewRoot(), "", &trail);
  read->read = true;
  read->hasConfiguration =
      reader.ReadConfiguration(configurationLimit, &read->configuration);
}

}  // namespace pomvarin::check
