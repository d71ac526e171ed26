// The Linux stand-ins for the rest of the seam: the trace goes to standard
// error, the warning box becomes a line there too.

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include "platform/platform.h"
#include "platform/posix/posix_common.h"
#include "platform/system_listings.h"

namespace pomvarin::platform {

namespace {

iovec Piece(const char* text) {
  return iovec{const_cast<char*>(text), std::strlen(text)};
}

// Writes the pieces to standard error in one call, so that lines from
// several processes never interleave; only a write the system cut short
// continues with a second call.
void WriteLine(iovec* pieces, int count) {
  while (count > 0) {
    ssize_t written = writev(STDERR_FILENO, pieces, count);
    if (written < 0) {
      if (errno == EINTR) continue;
      return;
    }
    while (count > 0 && static_cast<std::size_t>(written) >= pieces->iov_len) {
      written -= static_cast<ssize_t>(pieces->iov_len);
      ++pieces;
      --count;
    }
    if (count > 0) {
      pieces->iov_base = static_cast<char*>(pieces->iov_base) + written;
      pieces->iov_len -= static_cast<std::size_t>(written);
    }
  }
}

}  // namespace

namespace posix {

bool ToPosixPath(const char* path, PosixPath& posixPath) {
  const std::size_t length = std::strlen(path);
  if (length >= sizeof posixPath) return false;
  for (std::size_t i = 0; i <= length; ++i)
    posixPath[i] = path[i] == '\\' ? '/' : path[i];
  return true;
}

}  // namespace posix

void Trace(const char* text) {
  iovec pieces[] = {Piece(text), Piece("\n")};
  WriteLine(pieces, 2);
}

bool ReadSystemCurrentDirectory(Text& directory) {
  if (getcwd(directory, kTextSize)) return true;
  directory[0] = '\0';
  return false;
}

// There is no box to show: the warning is a line on standard error.
void ShowWarning(const char* text, const char* caption) {
  iovec pieces[] = {Piece(caption), Piece(": "), Piece(text), Piece("\n")};
  WriteLine(pieces, 4);
}

// A zero size still gets a block of its own, so that nullptr always means
// the memory could not be had.
unsigned char* AllocateZeroed(std::uint32_t size) {
  return static_cast<unsigned char*>(std::calloc(size == 0 ? 1 : size, 1));
}

void Release(unsigned char* buffer) { std::free(buffer); }

bool ReadSystemFolderIdentity(const char* path,
                              FolderIdentity* identity) {
  posix::PosixPath posixPath;
  struct stat status;
  if (!posix::ToPosixPath(path, posixPath) || stat(posixPath, &status) != 0)
    return false;
  identity->volume = status.st_dev;
  identity->file = status.st_ino;
  return true;
}

}  // namespace pomvarin::platform
