// A file of the system's temporary folder holding given bytes, for the
// readers that take a file's path only (the profile reader): it is removed
// when the TemporaryFile goes.
#pragma once

#include <string>

namespace pomvarin::platform {

class TemporaryFile {
 public:
  // Writes bytes to a new file; path() is empty and reason() says why when
  // that fails.
  explicit TemporaryFile(const std::string& bytes);
  ~TemporaryFile();
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  const std::string& path() const { return path_; }
  const std::string& reason() const { return reason_; }

 private:
  std::string path_;
  std::string reason_;
};

}  // namespace pomvarin::platform
