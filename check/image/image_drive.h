// An image put in place as a drive for a check: read, its Pomvarin.ini
// copied to a file the profile reader can read, and its folders answering
// the platform's folder operations until the ImageDrive goes.
#pragma once

#include <memory>
#include <string>

#include "check/image/image_read.h"
#include "platform/image/image_folders.h"
#include "platform/temporary_file.h"

namespace pomvarin::check {

// Whether path names a file, not a folder: an image to read.
bool NamesAFile(const std::string& path);

class ImageDrive {
 public:
  ImageDrive() = default;
  ImageDrive(const ImageDrive&) = delete;
  ImageDrive& operator=(const ImageDrive&) = delete;

  // Reads the image at path and puts it in place as drive; false with the
  // reason when it cannot be read.
  bool Open(const std::string& path, char drive, std::size_t configurationLimit,
            std::string* error);
  const ImageRead& read() const { return read_; }

 private:
  ImageRead read_;
  std::unique_ptr<platform::TemporaryFile> copy_;
  std::unique_ptr<platform::ScopedImage> image_;
};

}  // namespace pomvarin::check
