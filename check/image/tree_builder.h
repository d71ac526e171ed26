// What the ISO 9660 and FAT readers share: the folders being filled in
// under the image's limits, and names as the ANSI functions give them.
#pragma once

#include <cstdint>
#include <string>

#include "check/image/image_read.h"

namespace pomvarin::check {

class TreeBuilder {
 public:
  explicit TreeBuilder(ImageRead* read) : read_(read) {}

  // A new folder, empty; kNoFolder once the entry limit is reached.
  std::uint32_t NewFolder(bool dots);
  // False once the entry limit is reached: the entry is not added.
  bool Add(std::uint32_t folder, platform::ImageEntry entry);
  // Whether size more bytes of folder records may still be read.
  bool MayReadFolderBytes(std::uint64_t size);
  void Skip(const std::string& what) { read_->skips.push_back(what); }
  platform::ImageFolder& folder(std::uint32_t index) {
    return read_->folders.folders[index];
  }

 private:
  ImageRead* read_;
  std::uint64_t folderBytes_ = 0;
  bool limitNamed_ = false;
};

// A UCS-2 code unit as the ANSI functions give it: Latin-1 where the
// Western code page holds the same letter, "?" where it holds none.
char AnsiOf(std::uint16_t unit);

// Whether Windows refuses to list a folder holding this name: a control
// character or one of * ? / \ :.
bool RefusedName(const std::string& name);

// path + "\" + name, for the skips' messages.
std::string Below(const std::string& path, const std::string& name);

// size bytes from offset, fewer at the image's end; read a piece at a time,
// so that a size that lies is never allocated whole.
bool ReadInPieces(ImageBytes& bytes, std::uint64_t offset, std::uint64_t size,
                  std::string* data);

// A little-endian number of size bytes at offset.
std::uint32_t LittleEndian(const std::string& bytes, std::size_t offset,
                           std::size_t size);

}  // namespace pomvarin::check
