// A disc or stick image as a drive of its own: while a ScopedImage is in
// place, the folder operations of platform.h (the current directory,
// listings, folder identities) answer from the image's folders, as Windows
// would list them with the image as the root of a drive, so the launcher's
// own search walks them unchanged. Only pomvarin-check's build has this;
// with no image in place the folder operations are the system's.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pomvarin::platform {

// Every file of a disc is read-only.
constexpr std::uint32_t kAttributeReadOnly = 0x01;

constexpr std::uint32_t kNoFolder = 0xFFFFFFFFu;

struct ImageEntry {
  std::string name;
  std::uint32_t attributes = 0;
  // For a folder, the index of its own listing among the image's folders;
  // kNoFolder for a file, and for a folder that is not read (its listing
  // then fails).
  std::uint32_t folder = kNoFolder;
};

struct ImageFolder {
  // In the order Windows lists them, "." and ".." left out.
  std::vector<ImageEntry> entries;
  // Whether the listing starts with "." and "..": everywhere but at a
  // drive's root.
  bool dots = false;
  // A name that Windows refuses makes the whole listing fail.
  bool listable = true;
};

// The folders of an image; the first is its root.
struct ImageFolders {
  std::vector<ImageFolder> folders;
};

// While it lives, the current directory is the drive's root ("D:\"), every
// listing and folder identity is the image's (a path outside the drive
// lists nothing), and the image's Pomvarin.ini, when it has one, is read
// from configurationCopy (a file holding its bytes); the folder operations
// it replaced come back when it goes.
class ScopedImage {
 public:
  ScopedImage(const ImageFolders& folders, char drive,
              const std::string& configurationCopy);
  ~ScopedImage();
  ScopedImage(const ScopedImage&) = delete;
  ScopedImage& operator=(const ScopedImage&) = delete;

  const ImageFolders& folders() const { return folders_; }
  char drive() const { return drive_; }
  const std::string& configurationCopy() const { return configurationCopy_; }

 private:
  const ImageFolders& folders_;
  char drive_;
  std::string configurationCopy_;
  ScopedImage* replaced_;
};

// The file that holds the bytes of the file at path: path itself while no
// image is in place; with one, the copy of its Pomvarin.ini for that file,
// or nullptr for any other (the check reads no other file of an image).
const char* FileHolding(const char* path);

// The index of the image folder at path ("D:\", "D:\\Drivers\Intel"), or
// kNoFolder when path names none of the image in place (or none is).
std::uint32_t ImageFolderAt(const char* path);

}  // namespace pomvarin::platform
