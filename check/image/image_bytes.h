// The bytes of an image, read at chosen offsets: a file through the
// platform's reads, or bytes held in memory (the fuzzer's).
#pragma once

#include <cstdint>
#include <string>

#include "platform/files.h"

namespace pomvarin::check {

class ImageBytes {
 public:
  // Up to size bytes from offset into *bytes: fewer at the image's end,
  // none past it. False when the read fails.
  virtual bool Read(std::uint64_t offset, std::size_t size,
                    std::string* bytes) = 0;

 protected:
  ~ImageBytes() = default;
};

class ImageFile final : public ImageBytes {
 public:
  explicit ImageFile(const char* path) : file_(path) {}
  bool IsOpen() const { return file_.IsOpen(); }
  bool Read(std::uint64_t offset, std::size_t size,
            std::string* bytes) override {
    return file_.Read(offset, size, bytes);
  }

 private:
  platform::FileAtOffsets file_;
};

class BytesInMemory final : public ImageBytes {
 public:
  explicit BytesInMemory(const std::string& bytes) : bytes_(bytes) {}
  bool Read(std::uint64_t offset, std::size_t size,
            std::string* bytes) override {
    bytes->clear();
    if (offset < bytes_.size()) *bytes = bytes_.substr(offset, size);
    return true;
  }

 private:
  const std::string& bytes_;
};

}  // namespace pomvarin::check
