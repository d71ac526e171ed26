// Disc and stick images as pomvarin-check reads them: whoever made the
// image made its every byte. The image is read, then walked as the
// launcher's search walks it, with the image in place as a drive.
//
// Input: the image.

#include <cstddef>
#include <cstdint>
#include <string>

#include "check/image/image_limits.h"
#include "check/image/image_read.h"
#include "check/listing/list_files.h"
#include "fuzz/fuzz_input.h"
#include "platform/image/image_folders.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  using namespace pomvarin::check;
  using pomvarin::fuzz::Require;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  BytesInMemory image(bytes);
  const ImageRead read = ReadImage(image, 4096);
  Require(read.read || !read.error.empty(), "a refused image says why");
  if (!read.read) return 0;
  Require(!read.folders.folders.empty(), "a read image has a root");
  Require(read.entryCount <= kImageEntryLimit, "the entry limit holds");
  Require(read.configuration.size() <= 4097, "Pomvarin.ini is read bounded");
  std::size_t entries = 0;
  for (const pomvarin::platform::ImageFolder& folder : read.folders.folders) {
    entries += folder.entries.size();
    for (const pomvarin::platform::ImageEntry& entry : folder.entries)
      Require(entry.folder == pomvarin::platform::kNoFolder ||
                  entry.folder < read.folders.folders.size(),
              "a folder entry leads to a folder of the image");
  }
  Require(entries == read.entryCount, "every entry is counted");
  const pomvarin::platform::ScopedImage drive(read.folders, 'D', "");
  ListFiles();
  return 0;
}
