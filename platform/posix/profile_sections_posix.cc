// A whole initialisation file on Linux, by the same rules as the launcher's
// reader.

#include "platform/profile_sections.h"

#include <string>
#include <unordered_map>
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

std::string LowerName(posix::Span name) {
  return LowerAscii(std::string(name.begin, name.length));
}

// The "[" of a section line: only blanks stand between it and the name.
const char* OpeningBracket(posix::Span name) {
  const char* at = name.begin - 1;
  while (*at != '[') --at;
  return at;
}

}  // namespace

bool CanReadProfile(const char* path) {
  posix::HeapBlock contents;
  std::size_t size = 0;
  return ReadProfileFile(path, &contents, &size);
}

struct ProfileFile::State {
  posix::HeapBlock contents;
  std::size_t size = 0;
  // The first section of each name, from its "[" to the next section's, by
  // its name in ASCII lower case: the reader looks into no other.
  std::unordered_map<std::string, posix::Span> sections;
};

ProfileFile::ProfileFile(const char* path) : state_(new State) {
  if (!ReadProfileFile(path, &state_->contents, &state_->size)) return;
  const char* const end = state_->contents.get() + state_->size;
  posix::ProfileLines lines(state_->contents.get(), state_->size);
  posix::ProfileLine line;
  posix::Span* open = nullptr;  // the section being read, if first of its name
  while (lines.Next(line)) {
    if (line.kind != posix::ProfileLine::kSection) continue;
    const char* start = OpeningBracket(line.name);
    if (open) open->length = static_cast<std::size_t>(start - open->begin);
    const auto [at, fresh] = state_->sections.try_emplace(
        LowerName(line.name), posix::Span{start, 0});
    open = fresh ? &at->second : nullptr;
  }
  if (open) open->length = static_cast<std::size_t>(end - open->begin);
}

ProfileFile::~ProfileFile() = default;

void ProfileFile::Read(const char* section, const char* key,
                       const char* fallback, Text& value) const {
  posix::Span found{nullptr, 0};
  if (section) {
    const auto at = state_->sections.find(LowerName(posix::TrimText(section)));
    if (at != state_->sections.end()) found = at->second;
  }
  posix::FindProfileValue(found.begin, found.length, section, key, fallback,
                          value);
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
