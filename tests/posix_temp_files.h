// Real temporary folders and files for the Linux platform and hostile-input
// tests.
#pragma once

#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

namespace pomvarin::platform::posix::test_support {

// A fresh folder under /tmp, removed with everything in it at the end.
class TempFolder {
 public:
  TempFolder() {
    char name[] = "/tmp/pomvarin-test-XXXXXX";
    const char* made = mkdtemp(name);
    if (made) {
      // Traversable by everyone, so that tests run as another user can
      // reach the folders inside.
      chmod(made, 0755);
      path_ = made;
    }
  }
  ~TempFolder() {
    if (!path_.empty())
      nftw(path_.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& path() const { return path_; }
  std::string Join(const std::string& name) const { return path_ + "/" + name; }

 private:
  static int RemoveEntry(const char* path, const struct stat*, int type,
                         FTW*) {
    if (type == FTW_DP) chmod(path, 0700);
    remove(path);
    return 0;
  }

  std::string path_;
};

inline bool WriteFile(const std::string& path, const std::string& contents,
                      mode_t mode = 0644) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, mode);
  if (fd < 0) return false;
  const bool written = write(fd, contents.data(), contents.size()) ==
                       static_cast<ssize_t>(contents.size());
  // open's mode is cut by the umask; the tests need it exactly.
  const bool moded = fchmod(fd, mode) == 0;
  return close(fd) == 0 && written && moded;
}

inline bool MakeFolder(const std::string& path) {
  return mkdir(path.c_str(), 0755) == 0;
}

inline bool Exists(const std::string& path) {
  struct stat status;
  return lstat(path.c_str(), &status) == 0;
}

inline std::string ReadFileText(const std::string& path) {
  std::string text;
  FILE* file = fopen(path.c_str(), "rb");
  if (!file) return text;
  char buffer[4096];
  size_t got;
  while ((got = fread(buffer, 1, sizeof buffer, file)) > 0)
    text.append(buffer, got);
  fclose(file);
  return text;
}

// The path with every "/" as "\", the form the logic hands over.
inline std::string WindowsSeparators(std::string path) {
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

// Restores the process's current folder when the test ends.
class CurrentFolderGuard {
 public:
  CurrentFolderGuard() {
    if (!getcwd(saved_, sizeof saved_)) saved_[0] = '\0';
  }
  ~CurrentFolderGuard() {
    if (saved_[0] != '\0' && chdir(saved_) != 0) std::abort();
  }
  CurrentFolderGuard(const CurrentFolderGuard&) = delete;
  CurrentFolderGuard& operator=(const CurrentFolderGuard&) = delete;

 private:
  char saved_[PATH_MAX];
};

// Points one of the process's standard streams at a file while the test
// needs it, and back at what it was afterwards.
class StreamCapture {
 public:
  StreamCapture(int stream, const std::string& path) : stream_(stream) {
    fflush(nullptr);
    saved_ = dup(stream);
    const int file = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (file >= 0) {
      dup2(file, stream);
      close(file);
    }
  }
  ~StreamCapture() {
    if (saved_ < 0) return;
    fflush(nullptr);
    dup2(saved_, stream_);
    close(saved_);
  }
  StreamCapture(const StreamCapture&) = delete;
  StreamCapture& operator=(const StreamCapture&) = delete;

 private:
  int stream_;
  int saved_;
};

}  // namespace pomvarin::platform::posix::test_support
