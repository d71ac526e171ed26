#include "check/image/tree_builder.h"

#include <algorithm>

#include "check/image/image_limits.h"

namespace pomvarin::check {

std::uint32_t TreeBuilder::NewFolder(bool dots) {
  if (read_->entryCount >= kImageEntryLimit) return platform::kNoFolder;
  platform::ImageFolder folder;
  folder.dots = dots;
  read_->folders.folders.push_back(std::move(folder));
  return static_cast<std::uint32_t>(read_->folders.folders.size() - 1);
}

bool TreeBuilder::Add(std::uint32_t folder, platform::ImageEntry entry) {
  if (read_->entryCount >= kImageEntryLimit) {
    if (!limitNamed_)
      Skip("more than " + std::to_string(kImageEntryLimit) +
           " entries: the rest of the image is not read");
    limitNamed_ = true;
    return false;
  }
  ++read_->entryCount;
  read_->folders.folders[folder].entries.push_back(std::move(entry));
  return true;
}

bool TreeBuilder::MayReadFolderBytes(std::uint64_t size) {
  if (folderBytes_ + size > kAllFolderBytesLimit) return false;
  folderBytes_ += size;
  return true;
}

char AnsiOf(std::uint16_t unit) {
  if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF))
    return static_cast<char>(unit);
  return '?';
}

bool RefusedName(const std::string& name) {
  for (const char c : name) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || c == '*' || c == '?' || c == '/' || c == '\\' ||
        c == ':')
      return true;
  }
  return false;
}

std::string Below(const std::string& path, const std::string& name) {
  return path + "\\" + name;
}

bool ReadInPieces(ImageBytes& bytes, std::uint64_t offset, std::uint64_t size,
                  std::string* data) {
  constexpr std::uint64_t kPiece = 1 << 20;
  std::string piece;
  data->clear();
  while (data->size() < size) {
    const std::uint64_t want = std::min(kPiece, size - data->size());
    if (!bytes.Read(offset + data->size(), want, &piece)) return false;
    *data += piece;
    if (piece.size() < want) break;
  }
  return true;
}

std::uint32_t LittleEndian(const std::string& bytes, std::size_t offset,
                           std::size_t size) {
  std::uint32_t value = 0;
  for (std::size_t i = size; i-- > 0;)
    value = value << 8 | static_cast<unsigned char>(bytes[offset + i]);
  return value;
}

}  // namespace pomvarin::check
