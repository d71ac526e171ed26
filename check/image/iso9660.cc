#include "check/image/iso9660.h"

#include <algorithm>
#include <vector>

#include "common/ascii.h"

#include "check/image/image_limits.h"
#include "check/image/tree_builder.h"
#include "platform/platform.h"

namespace pomvarin::check {

namespace {

constexpr std::uint64_t kSector = 2048;
constexpr std::uint64_t kFirstDescriptor = 16;
constexpr unsigned char kHidden = 0x01, kDirectory = 0x02, kAssociated = 0x04;

struct Extent {
  std::uint32_t block = 0;
  std::uint32_t size = 0;
};

// The root's record in a volume descriptor (at byte 156).
Extent RootOf(const std::string& descriptor) {
  return Extent{LittleEndian(descriptor, 158, 4),
                LittleEndian(descriptor, 166, 4)};
}

struct Record {
  Extent extent;
  unsigned char flags = 0;
  std::string name;
  bool dot = false;  // "." or ".."
  bool refused = false;
};

class IsoReader {
 public:
  IsoReader(ImageBytes& bytes, bool joliet, std::uint32_t blockSize,
            ImageRead* read)
      : bytes_(bytes), joliet_(joliet), blockSize_(blockSize), tree_(read) {}

  // Reads the folder at extent into folder and, below it, its subfolders.
  void ReadFolder(const Extent& extent, std::uint32_t folder,
                  const std::string& path, std::vector<std::uint32_t>* trail);
  std::uint32_t NewRoot() { return tree_.NewFolder(false); }
  // Pomvarin.ini as the system opens it: the first root file of that name,
  // its first limit + 1 bytes.
  bool ReadConfiguration(std::size_t limit, std::string* bytes);

 private:
  bool DecodeRecord(const std::string& data, std::size_t at, Record* record);
  ImageBytes& bytes_;
  bool joliet_;
  std::uint32_t blockSize_;
  TreeBuilder tree_;
  bool hasConfiguration_ = false;
  Extent configuration_;
};

bool IsoReader::DecodeRecord(const std::string& data, std::size_t at,
                             Record* record) {
  const std::size_t length = static_cast<unsigned char>(data[at]);
  if (length < 34 || at + length > data.size()) return false;
  const std::size_t nameLength = static_cast<unsigned char>(data[at + 32]);
  if (33 + nameLength > length || nameLength == 0) return false;
  record->extent = Extent{LittleEndian(data, at + 2, 4),
                          LittleEndian(data, at + 10, 4)};
  record->flags = static_cast<unsigned char>(data[at + 25]);
  const char* name = data.data() + at + 33;
  record->dot = nameLength == 1 && (name[0] == 0 || name[0] == 1);
  record->name.clear();
  record->refused = false;
  if (record->dot) return true;
  if (joliet_) {
    for (std::size_t i = 0; i + 1 < nameLength; i += 2) {
      const std::uint16_t unit =
          static_cast<std::uint16_t>(static_cast<unsigned char>(name[i]) << 8 |
                                     static_cast<unsigned char>(name[i + 1]));
      if (unit < 0x20 || unit == '*' || unit == '?' || unit == '/' ||
          unit == '\\' || unit == ':')
        record->refused = true;
      record->name += AnsiOf(unit);
    }
  } else {
    record->name.assign(name, nameLength);
    record->refused = RefusedName(record->name);
  }
  if ((record->flags & kDirectory) == 0) {
    // The version is not shown, and then one trailing dot goes.
    const std::size_t version = record->name.find(';');
    if (version != std::string::npos) record->name.resize(version);
    if (!record->name.empty() && record->name.back() == '.')
      record->name.pop_back();
  }
  return true;
}

void IsoReader::ReadFolder(const Extent& extent, std::uint32_t folder,
                           const std::string& path,
                           std::vector<std::uint32_t>* trail) {
  std::string data;
  const std::uint64_t size =
      std::min<std::uint64_t>(extent.size, kFolderBytesLimit);
  if (extent.size > kFolderBytesLimit)
    tree_.Skip(path + ": its records say " + std::to_string(extent.size) +
               " bytes; only the first " + std::to_string(kFolderBytesLimit) +
               " are read");
  if (!tree_.MayReadFolderBytes(size) ||
      !ReadInPieces(bytes_, std::uint64_t{extent.block} * blockSize_, size,
                    &data)) {
    tree_.Skip(path + ": not read (the image's folders hold more than " +
               std::to_string(kAllFolderBytesLimit) + " bytes)");
    return;
  }
  if (data.size() < size)
    tree_.Skip(path + ": its records run past the end of the image");
  trail->push_back(extent.block);
  std::string previousFile;
  Record record;
  struct Sub {
    Extent extent;
    std::size_t entry;
  };
  std::vector<Sub> subs;
  for (std::size_t at = 0; at < data.size();) {
    if (data[at] == 0) {
      // Records never cross a sector: the rest of this one is padding.
      at = (at / kSector + 1) * kSector;
      continue;
    }
    if (!DecodeRecord(data, at, &record)) {
      tree_.Skip(path + ": a broken record at byte " + std::to_string(at) +
                 " ends its listing");
      break;
    }
    at += static_cast<unsigned char>(data[at]);
    if (record.dot || (record.flags & kAssociated)) continue;
    if (record.refused) tree_.folder(folder).listable = false;
    const bool directory = (record.flags & kDirectory) != 0;
    // Of several versions of one file only the first is listed.
    if (!directory) {
      if (record.name == previousFile) continue;
      previousFile = record.name;
    }
    platform::ImageEntry entry{
        record.name,
        platform::kAttributeReadOnly |
            (record.flags & kHidden ? platform::kAttributeHidden : 0u) |
            (directory ? platform::kAttributeDirectory : 0u),
        platform::kNoFolder};
    if (path.empty() && !directory && !hasConfiguration_ &&
        LowerAscii(record.name) == "pomvarin.ini") {
      hasConfiguration_ = true;
      configuration_ = record.extent;
    }
    if (!tree_.Add(folder, std::move(entry))) break;
    if (directory)
      subs.push_back(Sub{record.extent, tree_.folder(folder).entries.size() - 1});
  }
  for (const Sub& sub : subs) {
    const std::string name = tree_.folder(folder).entries[sub.entry].name;
    const std::string below = Below(path, name);
    bool ancestor = false;
    for (const std::uint32_t block : *trail)
      if (block == sub.extent.block) ancestor = true;
    if (ancestor) {
      tree_.Skip(below + ": its records are those of a folder above it; "
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
    tree_.folder(folder).entries[sub.entry].folder = child;
    ReadFolder(sub.extent, child, below, trail);
  }
  trail->pop_back();
}

bool IsoReader::ReadConfiguration(std::size_t limit, std::string* bytes) {
  return hasConfiguration_ &&
         bytes_.Read(std::uint64_t{configuration_.block} * blockSize_,
                     std::min<std::uint64_t>(configuration_.size, limit + 1),
                     bytes);
}

bool IsJolietEscape(const std::string& descriptor) {
  return descriptor[88] == '%' && descriptor[89] == '/' &&
         (descriptor[90] == '@' || descriptor[90] == 'C' ||
          descriptor[90] == 'E');
}

// A UDF volume's recognition sequence ("NSR02" or "NSR03" among the
// descriptors): Windows mounts UDF before the CD file system looks.
bool HasUdf(ImageBytes& bytes) {
  std::string id;
  for (int i = 0; i < kDescriptorLimit; ++i) {
    if (!bytes.Read((kFirstDescriptor + i) * kSector + 1, 5, &id) ||
        id.size() < 5)
      return false;
    if (id == "NSR02" || id == "NSR03") return true;
  }
  return false;
}

}  // namespace

bool LooksLikeIso9660(ImageBytes& bytes) {
  std::string magic;
  return bytes.Read(kFirstDescriptor * kSector + 1, 5, &magic) &&
         magic == "CD001";
}

void ReadIso9660(ImageBytes& bytes, std::size_t configurationLimit,
                 ImageRead* read) {
  // The CD file system's scan: the first Joliet descriptor wins, and the
  // scan ends at the terminator, at anything not "CD001" and at a
  // descriptor of another version (an enhanced one hides a Joliet after it).
  std::string primary, joliet, descriptor;
  for (int i = 0; i < kDescriptorLimit; ++i) {
    if (!bytes.Read((kFirstDescriptor + i) * kSector, kSector, &descriptor) ||
        descriptor.size() < kSector || descriptor.compare(1, 5, "CD001") != 0 ||
        descriptor[6] != 1)
      break;
    const unsigned char type = static_cast<unsigned char>(descriptor[0]);
    if (type == 255) break;
    if (type == 1 && primary.empty()) primary = descriptor;
    if (type == 2 && joliet.empty() && IsJolietEscape(descriptor))
      joliet = descriptor;
  }
  if (HasUdf(bytes)) {
    read->error =
        "a UDF bridge disc: Windows reads its UDF tree before ISO 9660 and "
        "Joliet, and this check does not read UDF";
    return;
  }
  if (primary.empty()) {
    read->error = "an ISO 9660 image without a primary volume descriptor";
    return;
  }
  const std::uint32_t blockSize = LittleEndian(primary, 128, 2);
  if (blockSize != 512 && blockSize != 1024 && blockSize != 2048) {
    read->error = "an ISO 9660 image with a block size of " +
                  std::to_string(blockSize) + " bytes";
    return;
  }
  const bool useJoliet = !joliet.empty();
  read->tree = useJoliet ? ImageTree::kJoliet : ImageTree::kIso9660;
  IsoReader reader(bytes, useJoliet, blockSize, read);
  std::vector<std::uint32_t> trail;
  reader.ReadFolder(RootOf(useJoliet ? joliet : primary), reader.NewRoot(),
                    "", &trail);
  read->read = true;
  read->hasConfiguration =
      reader.ReadConfiguration(configurationLimit, &read->configuration);
}

}  // namespace pomvarin::check
