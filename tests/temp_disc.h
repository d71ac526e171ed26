// A driver disc in a temp folder for the check's tests: real folders and
// files, read through the real platform layer. It is the current directory
// while it lives.
#pragma once

#include <filesystem>
#include <string>

namespace pomvarin::check::test {

class TempDisc {
 public:
  TempDisc();
  ~TempDisc();
  TempDisc(const TempDisc&) = delete;
  TempDisc& operator=(const TempDisc&) = delete;

  // Writes a file below the disc; relative is "/"-separated.
  void Write(const std::string& relative, const std::string& contents = "");
  void MakeFolder(const std::string& relative);
  // The disc's folder as the launcher reads it.
  const std::string& directory() const { return directory_; }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path previous_;
  std::filesystem::path path_;
  std::string directory_;
};

}  // namespace pomvarin::check::test
