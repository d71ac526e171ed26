// A look at a whole initialisation file, by the same rules as the profile
// reader the launcher asks for single values: which sections it holds and
// which keys each of them has.
#pragma once

#include <string>
#include <vector>

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

}  // namespace pomvarin::platform
