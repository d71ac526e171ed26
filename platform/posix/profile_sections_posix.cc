// A whole initialisation file on Linux, by the same rules as the launcher's
// reader.

#include "platform/profile_sections.h"

#include <string>
#include <unordered_set>

#include "platform/posix/posix_common.h"
#include "platform/posix/profile_lines.h"
#include "platform/posix/profile_reader.h"

namespace pomvarin::platform {

namespace {

bool ReadProfileFile(const char* path, posix::HeapBlock* contents,
                     std::size_t* size) {
  posix::PosixPath posixPath;
  return posix::ToPosixPath(path, posixPath) &&
         posix::ReadWholeFile(posixPath, contents, size);
}

}  // namespace

bool CanReadProfile(const char* path) {
  posix::HeapBlock contents;
  std::size_t size = 0;
  return ReadProfileFile(path, &contents, &size);
}

std::vector<ProfileSection> ListProfileSections(const char* path) {
  std::vector<ProfileSection> sections;
  posix::HeapBlock contents;
  std::size_t size = 0;
  if (!ReadProfileFile(path, &contents, &size)) return sections;
  posix::ProfileLines lines(contents.get(), size);
  posix::ProfileLine line;
  std::unordered_set<std::string> names;  // in ASCII lower case
  bool repeat = false;
  while (lines.Next(line)) {
    if (line.kind == posix::ProfileLine::kSection) {
      std::string name(line.name.begin, line.name.length);
      repeat = !names.insert(LowerAscii(name)).second;
      sections.push_back(ProfileSection{std::move(name), {}});
    } else if (line.kind == posix::ProfileLine::kKey && !sections.empty() &&
               !repeat) {
      // A line without "=" is left out, as the Windows side leaves it out of
      // the section's listing.
      sections.back().keys.emplace_back(line.name.begin, line.name.length);
    }
  }
  return sections;
}

}  // namespace pomvarin::platform
