#include "platform/temporary_file.h"

#include <windows.h>

#include "common/owner.h"

namespace pomvarin::platform {

namespace {

using ScopedFile = Owner<HANDLE, CloseHandle>;

bool WriteAll(HANDLE file, const std::string& bytes) {
  std::size_t written = 0;
  while (written < bytes.size()) {
    DWORD n = 0;
    if (!WriteFile(file, bytes.data() + written,
                   static_cast<DWORD>(bytes.size() - written), &n, nullptr) ||
        n == 0)
      return false;
    written += n;
  }
  return true;
}

}  // namespace

TemporaryFile::TemporaryFile(const std::string& bytes) {
  char folder[MAX_PATH + 1];
  char name[MAX_PATH + 1];
  const DWORD length = GetTempPathA(sizeof folder, folder);
  if (length == 0 || length > MAX_PATH ||
      GetTempFileNameA(folder, "pom", 0, name) == 0) {
    reason_ = "no temporary file can be made, error " +
              std::to_string(GetLastError());
    return;
  }
  bool written = false;
  const HANDLE opened = CreateFileA(name, GENERIC_WRITE, 0, nullptr,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY,
                                    nullptr);
  if (opened != INVALID_HANDLE_VALUE) {
    const ScopedFile file(opened);
    written = WriteAll(file.get(), bytes);
  }
  if (!written) {
    reason_ = "cannot write a temporary file, error " +
              std::to_string(GetLastError());
    DeleteFileA(name);
    return;
  }
  path_ = name;
}

TemporaryFile::~TemporaryFile() {
  if (!path_.empty()) DeleteFileA(path_.c_str());
}

}  // namespace pomvarin::platform
