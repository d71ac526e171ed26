// Files and the working folder on Linux: paths as the logic joins them, "\"
// turned into "/".

#include "platform/files.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/posix/posix_common.h"

namespace pomvarin::platform {

namespace {

FileRead Unreadable(int error) {
  return FileRead{FileRead::kUnreadable, std::strerror(error)};
}

// An open descriptor: standard input for "-" named by the user, else the
// file at path.
int OpenFile(const char* path, FileSource source, bool* ownDescriptor) {
  *ownDescriptor = true;
  if (source == FileSource::kNamedByUser && std::strcmp(path, "-") == 0) {
    *ownDescriptor = false;
    return STDIN_FILENO;
  }
  posix::PosixPath posixPath;
  if (!posix::ToPosixPath(path, posixPath)) {
    errno = ENAMETOOLONG;
    return -1;
  }
  // Not blocking for a file found in a folder: a FIFO there must not hold
  // the run up before its kind is seen.
  const int flags = source == FileSource::kRegularFile ? O_NONBLOCK : 0;
  return open(posixPath, O_RDONLY | O_CLOEXEC | flags);
}

}  // namespace

FileRead ReadFileBytes(const char* path, FileSource source, std::size_t limit,
                       std::string* bytes) {
  bool own;
  const int fd = OpenFile(path, source, &own);
  if (fd < 0) return Unreadable(errno);
  const posix::FileDescriptor owner(own ? fd : -1);
  struct stat status;
  if (fstat(fd, &status) != 0) return Unreadable(errno);
  if (S_ISDIR(status.st_mode)) return FileRead{FileRead::kFolder, ""};
  if (source == FileSource::kRegularFile && !S_ISREG(status.st_mode))
    return FileRead{FileRead::kUnreadable, "not a regular file"};
  bytes->clear();
  char block[65536];
  for (;;) {
    const ssize_t got = read(fd, block, sizeof block);
    if (got < 0) {
      if (errno == EINTR) continue;
      return Unreadable(errno);
    }
    if (got == 0) return FileRead{FileRead::kRead, ""};
    if (static_cast<std::size_t>(got) > limit - bytes->size()) {
      bytes->clear();
      return FileRead{FileRead::kTooLarge, ""};
    }
    bytes->append(block, static_cast<std::size_t>(got));
  }
}

FileAtOffsets::FileAtOffsets(const char* path) : handle_(-1) {
  posix::PosixPath posixPath;
  if (!posix::ToPosixPath(path, posixPath)) return;
  posix::FileDescriptor fd(
      open(posixPath, O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  struct stat status;
  if (fd && fstat(fd.get(), &status) == 0 && S_ISREG(status.st_mode))
    handle_ = fd.release();
}

FileAtOffsets::~FileAtOffsets() {
  if (handle_ >= 0) close(static_cast<int>(handle_));
}

bool FileAtOffsets::IsOpen() const { return handle_ >= 0; }

bool FileAtOffsets::Read(std::uint64_t offset, std::size_t size,
                         std::string* bytes) {
  bytes->clear();
  if (handle_ < 0) return false;
  bytes->resize(size);
  std::size_t got = 0;
  while (got < size) {
    const ssize_t read = pread(static_cast<int>(handle_), &(*bytes)[got],
                               size - got, static_cast<off_t>(offset + got));
    if (read < 0 && errno == EINTR) continue;
    if (read < 0) {
      bytes->clear();
      return false;
    }
    if (read == 0) break;
    got += static_cast<std::size_t>(read);
  }
  bytes->resize(got);
  return true;
}

bool ChangeDirectory(const char* path) {
  posix::PosixPath posixPath;
  return posix::ToPosixPath(path, posixPath) && chdir(posixPath) == 0;
}

// Linux writes every byte as it is.
void KeepStandardOutputBytes() {}

}  // namespace pomvarin::platform
