#include "check/image/image_drive.h"

#include "platform/files.h"

namespace pomvarin::check {

bool NamesAFile(const std::string& path) {
  // A folder reads as kFolder; anything else that opens is a file.
  std::string ignored;
  const platform::FileRead read = platform::ReadFileBytes(
      path.c_str(), platform::FileSource::kRegularFile, 0, &ignored);
  return read.outcome == platform::FileRead::kRead ||
         read.outcome == platform::FileRead::kTooLarge;
}

bool ImageDrive::Open(const std::string& path, char drive,
                      std::size_t configurationLimit, std::string* error) {
  ImageFile file(path.c_str());
  if (!file.IsOpen()) {
    *error = "cannot open the image " + path;
    return false;
  }
  read_ = ReadImage(file, configurationLimit);
  if (!read_.read) {
    *error = path + ": " + read_.error;
    return false;
  }
  std::string copyPath;
  if (read_.hasConfiguration) {
    copy_ = std::make_unique<platform::TemporaryFile>(read_.configuration);
    if (copy_->path().empty()) {
      *error = "cannot copy the image's Pomvarin.ini: " + copy_->reason();
      return false;
    }
    copyPath = copy_->path();
  }
  image_ = std::make_unique<platform::ScopedImage>(read_.folders, drive,
                                                   copyPath);
  return true;
}

}  // namespace pomvarin::check
