// A whole initialisation file through the same profile reader the launcher
// asks for single values.

#include "platform/profile_sections.h"

#include <windows.h>

#include <cstring>
#include <unordered_set>

#include "common/ascii.h"
#include "platform/system_profile.h"

namespace pomvarin::platform {

namespace {

// The profile calls answer with size - 2 when the list did not fit.
constexpr DWORD kFirstListSize = 4096;
constexpr DWORD kLargestListSize = 64u << 20;

// Reads a NUL-separated list, growing the buffer until it fits.
template <typename ReadList>
std::vector<std::string> ReadStringList(ReadList read) {
  std::vector<std::string> items;
  for (DWORD size = kFirstListSize; size <= kLargestListSize; size *= 2) {
    std::vector<char> buffer(size);
    const DWORD length = read(buffer.data(), size);
    if (length + 2 == size) continue;
    for (const char* item = buffer.data(); *item; item += std::strlen(item) + 1)
      items.emplace_back(item);
    break;
  }
  return items;
}

}  // namespace

bool CanReadProfile(const char* path) {
  const DWORD attributes = GetFileAttributesA(path);
  if (attributes == INVALID_FILE_ATTRIBUTES ||
      (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
    return false;
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

std::vector<ProfileSection> ListProfileSections(const char* path) {
  std::vector<ProfileSection> sections;
  const std::vector<std::string> names =
      ReadStringList([path](char* buffer, DWORD size) {
        return GetPrivateProfileSectionNamesA(buffer, size, path);
      });
  std::unordered_set<std::string> seen;  // in ASCII lower case
  for (const std::string& name : names) {
    ProfileSection section{name, {}};
    if (seen.insert(LowerAscii(name)).second) {
      const std::vector<std::string> lines =
          ReadStringList([&](char* buffer, DWORD size) {
            return GetPrivateProfileSectionA(name.c_str(), buffer, size, path);
          });
      for (const std::string& line : lines) {
        const std::size_t equals = line.find('=');
        if (equals != std::string::npos)
          section.keys.push_back(line.substr(0, equals));
      }
    }
    sections.push_back(section);
  }
  return sections;
}

struct ProfileFile::State {
  std::string path;
};

ProfileFile::ProfileFile(const char* path) : state_(new State{path}) {}

ProfileFile::~ProfileFile() = default;

void ProfileFile::Read(const char* section, const char* key,
                       const char* fallback, Text& value) const {
  ReadSystemProfileString(section, key, fallback, value, state_->path.c_str());
}

}  // namespace pomvarin::platform
