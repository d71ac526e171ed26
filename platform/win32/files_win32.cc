// Files and the working folder through the Windows calls.

#include "platform/files.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <cstdio>

#include "common/owner.h"

namespace pomvarin::platform {

namespace {

using ScopedFile = Owner<HANDLE, CloseHandle>;

FileRead Unreadable(DWORD error) {
  char text[512] = {};
  if (!FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                      nullptr, error, 0, text, sizeof text, nullptr))
    return FileRead{FileRead::kUnreadable, "error " + std::to_string(error)};
  std::string reason(text);
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' ||
                             reason.back() == ' ' || reason.back() == '.'))
    reason.pop_back();
  return FileRead{FileRead::kUnreadable, reason};
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
  std::size_t got = 0;
  while (got < size) {
    // The offset goes with each read, so no file pointer is moved.
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(offset + got);
    at.OffsetHigh = static_cast<DWORD>((offset + got) >> 32);
    DWORD read = 0;
    if (!ReadFile(reinterpret_cast<HANDLE>(handle_), &(*bytes)[got],
                  static_cast<DWORD>(size - got), &read, &at)) {
      if (GetLastError() == ERROR_HANDLE_EOF) break;
      bytes->clear();
      return false;
    }
    if (read == 0) break;
    got += read;
  }
  bytes->resize(got);
  return true;
}

bool ChangeDirectory(const char* path) {
  return SetCurrentDirectoryA(path) != FALSE;
}

// The C runtime's text mode would write each "\n" as CR LF, doubling the
// CR of a line that ends in CR LF already.
void KeepStandardOutputBytes() { _setmode(_fileno(stdout), _O_BINARY); }

}  // namespace pomvarin::platform
