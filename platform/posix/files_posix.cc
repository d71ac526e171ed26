// Files and the working folder on Linux: paths as the logic joins them, "\"
// turned into "/".

#include "platform/files.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
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
  // No fstat before the reads, which a disc of thousands of setups would
  // pay for each: O_NONBLOCK keeps the open of a pipe from waiting, and a
  // read fails on a pipe (ESPIPE) and on a folder (EISDIR).
  if (posix::ToPosixPath(path, posixPath))
    handle_ = open(posixPath, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
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
  // One read: a regular file reads short only at its end.
  ssize_t read;
  do {
    read = pread(static_cast<int>(handle_), &(*bytes)[0], size,
                 static_cast<off_t>(offset));
  } while (read < 0 && errno == EINTR);
  if (read < 0) {
    bytes->clear();
    return false;
  }
  bytes->resize(static_cast<std::size_t>(read));
  return true;
}

bool ChangeDirectory(const char* path) {
  posix::PosixPath posixPath;
  return posix::ToPosixPath(path, posixPath) && chdir(posixPath) == 0;
}

// Linux writes every byte as it is.
void KeepStandardOutputBytes() {}

bool AbsolutePath(const std::string& path, std::string* absolute,
                  std::string* reason) {
  std::string posixPath = path;
  for (char& c : posixPath)
    if (c == '\\') c = '/';
  if (!posixPath.empty() && posixPath[0] == '/') {
    *absolute = posixPath;
    return true;
  }
  const posix::HeapBlock current(getcwd(nullptr, 0));
  if (!current) {
    *reason = std::strerror(errno);
    return false;
  }
  *absolute = std::string(current.get()) + "/" + posixPath;
  return true;
}

namespace {

bool WriteAll(int fd, const std::string& bytes) {
  std::size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t done = write(fd, bytes.data() + written, bytes.size() - written);
    if (done < 0 && errno == EINTR) continue;
    if (done <= 0) return false;
    written += static_cast<std::size_t>(done);
  }
  return true;
}

}  // namespace

bool WriteFileWhole(const std::string& path, const std::string& bytes,
                    std::string* reason) {
  std::string target;
  if (!AbsolutePath(path, &target, reason)) return false;
  // A name of its own beside the file, made for this write only, so that
  // the rename below stays within one file system.
  std::string temporary = target + ".XXXXXX";
  const int fd = mkstemp(temporary.data());
  if (fd < 0) {
    *reason = std::strerror(errno);
    return false;
  }
  posix::FileDescriptor file(fd);
  // mkstemp makes the file for its owner alone; the page gets the mode any
  // new file of the user's gets.
  const mode_t mask = umask(0);
  umask(mask);
  const bool written = fchmod(fd, 0666 & ~mask) == 0 && WriteAll(fd, bytes) &&
                       fsync(fd) == 0 && close(file.release()) == 0 &&
                       rename(temporary.c_str(), target.c_str()) == 0;
  if (written) return true;
  *reason = std::strerror(errno);
  file.reset();
  unlink(temporary.c_str());
  return false;
}

}  // namespace pomvarin::platform
