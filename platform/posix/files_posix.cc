// Files and the working folder on Linux: paths as the logic joins them, "\"
// turned into "/".

#include "platform/files.h"

#include <unistd.h>

#include "platform/posix/posix_common.h"
#include "platform/posix/profile_reader.h"

namespace pomvarin::platform {

bool ReadFileBytes(const char* path, std::string* bytes) {
  posix::PosixPath posixPath;
  posix::HeapBlock contents;
  std::size_t size = 0;
  if (!posix::ToPosixPath(path, posixPath) ||
      !posix::ReadWholeFile(posixPath, &contents, &size))
    return false;
  bytes->assign(contents.get(), size);
  return true;
}

bool ChangeDirectory(const char* path) {
  posix::PosixPath posixPath;
  return posix::ToPosixPath(path, posixPath) && chdir(posixPath) == 0;
}

}  // namespace pomvarin::platform
