// Files and folders beyond the launcher's listings: a file read whole, a
// file read in pieces at chosen offsets, a file written whole, and the
// folder a tool works in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace pomvarin::platform {

// Makes path the process's current directory; false when it cannot be.
bool ChangeDirectory(const char* path);

// Where a file may come from.
enum class FileSource {
  // A regular file found in a folder: a pipe or device in its place is not
  // read (it could wait for ever or never end).
  kRegularFile,
  // A file named by the user: a regular file, a pipe such as
  // <(lspci -vmm -nn), a device, or standard input when the path is "-".
  kNamedByUser,
};

struct FileRead {
  enum Outcome { kRead, kTooLarge, kFolder, kUnreadable } outcome = kUnreadable;
  std::string reason;  // for kUnreadable: what the system said, for people
};

// The bytes of the file at path (a path as the launcher joins them), at
// most limit of them: a file that holds more is kTooLarge, and no more than
// limit + 1 bytes of it are read.
FileRead ReadFileBytes(const char* path, FileSource source, std::size_t limit,
                       std::string* bytes);

// Standard output takes the bytes written to it as they are: a file
// printed there keeps its CR LF line ends.
void KeepStandardOutputBytes();

// path made absolute against the current directory, so that it names the
// same file after ChangeDirectory; false with the system's reason when the
// current directory cannot be read.
bool AbsolutePath(const std::string& path, std::string* absolute,
                  std::string* reason);

// Writes bytes as the file at path, whole or not at all: they go into a new
// file beside it, which then takes its place. On failure the file at path
// is as it was, nothing is left beside it, and reason says why.
bool WriteFileWhole(const std::string& path, const std::string& bytes,
                    std::string* reason);

// A file found in a folder, held open for reads at chosen offsets: what
// telling a setup's kind needs of a file, without reading it whole. Reads
// fail on anything but a regular file (a folder, a pipe), and never wait.
class FileAtOffsets {
 public:
  explicit FileAtOffsets(const char* path);
  ~FileAtOffsets();
  FileAtOffsets(const FileAtOffsets&) = delete;
  FileAtOffsets& operator=(const FileAtOffsets&) = delete;

  // Whether the path could be opened (on Linux a folder can be).
  bool IsOpen() const;
  // Up to size bytes from offset, into *bytes: fewer at the file's end,
  // none past it. False when the file is not open or the read fails.
  bool Read(std::uint64_t offset, std::size_t size, std::string* bytes);

 private:
  std::intptr_t handle_;  // the system's handle, or -1
};

}  // namespace pomvarin::platform
