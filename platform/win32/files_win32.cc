// Files and the working folder through the Windows calls.

#include "platform/files.h"

#include <windows.h>

#include <fstream>
#include <iterator>

namespace pomvarin::platform {

// Through the C runtime, whose file calls the program imports already.
bool ReadFileBytes(const char* path, std::string* bytes) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return false;
  bytes->assign(std::istreambuf_iterator<char>(file),
                std::istreambuf_iterator<char>());
  return !file.bad();
}

bool ChangeDirectory(const char* path) {
  return SetCurrentDirectoryA(path) != FALSE;
}

}  // namespace pomvarin::platform
