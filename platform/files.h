// Files and folders beyond the launcher's listings: a file read whole, and
// the folder a tool works in.
#pragma once

#include <string>

namespace pomvarin::platform {

// Makes path the process's current directory; false when it cannot be.
bool ChangeDirectory(const char* path);

// The bytes of the regular file at path (a path as the launcher joins
// them); false when it cannot be read whole.
bool ReadFileBytes(const char* path, std::string* bytes);

}  // namespace pomvarin::platform
