// Files and the working folder through the Windows calls.

#include "platform/files.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cstdio>

#include "common/owner.h"

namespace pomvarin::platform {

namespace {

using ScopedFile = Owner<HANDLE, CloseHandle>;

// What the system says of an error, for people.
std::string SystemReason(DWORD error) {
  char text[512] = {};
  if (!FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                      nullptr, error, 0, text, sizeof text, nullptr))
    return "error " + std::to_string(error);
  std::string reason(text);
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' ||
                             reason.back() == ' ' || reason.back() == '.'))
    reason.pop_back();
  return reason;
}

FileRead Unreadable(DWORD error) {
  return FileRead{FileRead::kUnreadable, SystemReason(error)};
}

bool WriteAll(HANDLE file, const std::string& bytes) {
  std::size_t written = 0;
  while (written < bytes.size()) {
    const DWORD block = static_cast<DWORD>(
        std::min<std::size_t>(bytes.size() - written, 1 << 20));
    DWORD done = 0;
    if (!WriteFile(file, bytes.data() + written, block, &done, nullptr) ||
        done == 0)
      return false;
    written += done;
  }
  return true;
}

}  // namespace

FileRead ReadFileBytes(const char* path, FileSource source, std::size_t limit,
                       std::string* bytes) {
  const DWORD attributes = GetFileAttributesA(path);
  if (attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & FILE_ATTRIBUTE_DIRECTORY))
    return FileRead{FileRead::kFolder, ""};
  const bool standardInput =
      source == FileSource::kNamedByUser && std::string(path) == "-";
  HANDLE handle = standardInput ? GetStdHandle(STD_INPUT_HANDLE)
                                : CreateFileA(path, GENERIC_READ,
                                              FILE_SHARE_READ | FILE_SHARE_WRITE,
                                              nullptr, OPEN_EXISTING,
                                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE || handle == nullptr)
    return Unreadable(GetLastError());
  const ScopedFile owner(standardInput ? nullptr : handle);
  if (source == FileSource::kRegularFile &&
      GetFileType(handle) != FILE_TYPE_DISK)
    return FileRead{FileRead::kUnreadable, "not a regular file"};
  bytes->clear();
  char block[65536];
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(handle, block, sizeof block, &got, nullptr)) {
      const DWORD error = GetLastError();
      // A pipe whose writer is gone has simply ended.
      if (error == ERROR_BROKEN_PIPE) return FileRead{FileRead::kRead, ""};
      return Unreadable(error);
    }
    if (got == 0) return FileRead{FileRead::kRead, ""};
    if (got > limit - bytes->size()) {
      bytes->clear();
      return FileRead{FileRead::kTooLarge, ""};
    }
    bytes->append(block, got);
  }
}

FileAtOffsets::FileAtOffsets(const char* path) : handle_(-1) {
  // A folder does not open: that needs FILE_FLAG_BACKUP_SEMANTICS.
  const HANDLE opened = CreateFileA(path, GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (opened == INVALID_HANDLE_VALUE) return;
  ScopedFile file(opened);
  if (GetFileType(opened) == FILE_TYPE_DISK)
    handle_ = reinterpret_cast<std::intptr_t>(file.release());
}

FileAtOffsets::~FileAtOffsets() {
  if (handle_ != -1) CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

bool FileAtOffsets::IsOpen() const { return handle_ != -1; }

bool FileAtOffsets::Read(std::uint64_t offset, std::size_t size,
                         std::string* bytes) {
  bytes->clear();
  if (handle_ == -1) return false;
  bytes->resize(size);
  // One read at the offset given with it, which moves no file pointer; a
  // file on a disk reads short only at its end.
  OVERLAPPED at = {};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  DWORD read = 0;
  if (!ReadFile(reinterpret_cast<HANDLE>(handle_), &(*bytes)[0],
                static_cast<DWORD>(size), &read, &at) &&
      GetLastError() != ERROR_HANDLE_EOF) {
    bytes->clear();
    return false;
  }
  bytes->resize(read);
  return true;
}

bool ChangeDirectory(const char* path) {
  return SetCurrentDirectoryA(path) != FALSE;
}

// The C runtime's text mode would write each "\n" as CR LF, doubling the
// CR of a line that ends in CR LF already.
void KeepStandardOutputBytes() { _setmode(_fileno(stdout), _O_BINARY); }

bool AbsolutePath(const std::string& path, std::string* absolute,
                  std::string* reason) {
  const DWORD size = GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
  std::string full(size, '\0');
  const DWORD length =
      size ? GetFullPathNameA(path.c_str(), size, full.data(), nullptr) : 0;
  if (length == 0 || length >= size) {
    *reason = SystemReason(GetLastError());
    return false;
  }
  full.resize(length);
  *absolute = full;
  return true;
}

bool WriteFileWhole(const std::string& path, const std::string& bytes,
                    std::string* reason) {
  std::string target;
  if (!AbsolutePath(path, &target, reason)) return false;
  // Beside the file, so that the move below stays within one volume.
  const std::string temporary = target + ".partial";
  ScopedFile file(CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file.get() == INVALID_HANDLE_VALUE) {
    file.release();
    *reason = SystemReason(GetLastError());
    return false;
  }
  const bool written =
      WriteAll(file.get(), bytes) && CloseHandle(file.release()) &&
      MoveFileExA(temporary.c_str(), target.c_str(),
                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (written) return true;
  *reason = SystemReason(GetLastError());
  file.reset();
  DeleteFileA(temporary.c_str());
  return false;
}

}  // namespace pomvarin::platform
