// A look at a whole initialisation file, by the same rules as the profile
// reader the launcher asks for single values: which sections it holds and
// which keys each of them has.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace pomvarin::platform {

// One section of an initialisation file and the names of its keys, as the
// profile reader sees them.
struct ProfileSection {
  std::string name;
  // In file order. Empty for a repeated section name: the reader only ever
  // looks into the first section of a name.
  std::vector<std::string> keys;
};

// Whether path names a file that the profile reader can read: it exists, is
// readable and is no folder.
bool CanReadProfile(const char* path);

// The sections of the initialisation file at path in file order, repeats
// included. Comments and lines without "=" hold no key.
std::vector<ProfileSection> ListProfileSections(const char* path);

// The initialisation file at path, answering ReadProfileString's questions
// as the profile reader does. On Linux the file is read once, when made,
// and each question looks at the first section of its name alone, so that
// reading every value of a file costs its length, not its length for each
// value; on Windows the profile reader is asked.
class ProfileFile {
 public:
  explicit ProfileFile(const char* path);
  ~ProfileFile();
  ProfileFile(const ProfileFile&) = delete;
  ProfileFile& operator=(const ProfileFile&) = delete;

  void Read(const char* section, const char* key, const char* fallback,
            Text& value) const;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace pomvarin::platform
