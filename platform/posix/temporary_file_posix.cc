#include "platform/temporary_file.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace pomvarin::platform {

TemporaryFile::TemporaryFile(const std::string& bytes) {
  const char* folder = std::getenv("TMPDIR");
  std::string name =
      std::string(folder && *folder ? folder : "/tmp") + "/pomvarin-XXXXXX";
  const int fd = mkstemp(name.data());
  if (fd < 0) {
    reason_ = std::strerror(errno);
    return;
  }
  std::size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + written, bytes.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    written += static_cast<std::size_t>(n);
  }
  const int writeError = errno;
  if (close(fd) != 0 || written < bytes.size()) {
    reason_ = std::strerror(written < bytes.size() ? writeError : errno);
    unlink(name.c_str());
    return;
  }
  path_ = name;
}

TemporaryFile::~TemporaryFile() {
  if (!path_.empty()) unlink(path_.c_str());
}

}  // namespace pomvarin::platform
