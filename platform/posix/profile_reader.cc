#include "platform/posix/profile_reader.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/posix/profile_lines.h"

namespace pomvarin::platform::posix {

namespace {

bool IsQuote(char c) { return c == '"' || c == '\''; }

void CopyCut(const char* source, std::size_t length, Text& value) {
  if (length > kTextSize - 1) length = kTextSize - 1;
  std::memcpy(value, source, length);
  value[length] = '\0';
}

void CopyValue(Span found, Text& value) {
  if (found.length >= 2 && IsQuote(found.begin[0]) &&
      found.begin[found.length - 1] == found.begin[0]) {
    ++found.begin;
    found.length -= 2;
  }
  CopyCut(found.begin, found.length, value);
}

void CopyFallback(const char* fallback, Text& value) {
  if (!fallback) fallback = "";
  std::size_t length = std::strlen(fallback);
  while (length > 0 && fallback[length - 1] == ' ') --length;
  CopyCut(fallback, length, value);
}

}  // namespace

void FindProfileValue(const char* data, std::size_t size, const char* section,
                      const char* key, const char* fallback, Text& value) {
  if (!section || !key) {
    CopyFallback(fallback, value);
    return;
  }
  const Span wantedSection = TrimText(section);
  const Span wantedKey = TrimText(key);
  ProfileLines lines(data, size);
  ProfileLine line;
  bool inWantedSection = false;
  while (lines.Next(line)) {
    if (line.kind == ProfileLine::kSection) {
      // Only the first section of the name is searched.
      if (inWantedSection) break;
      inWantedSection = SameName(line.name, wantedSection);
    } else if (inWantedSection && SameName(line.name, wantedKey)) {
      if (line.kind == ProfileLine::kKeyWithoutValue) break;
      CopyValue(line.value, value);
      return;
    }
  }
  CopyFallback(fallback, value);
}

bool ReadWholeFile(const char* path, HeapBlock* contents, std::size_t* size) {
  // Not blocking: a FIFO in the file's place must not hold the run up. Only
  // a regular file counts; a FIFO or a device reads as no file at all.
  FileDescriptor file(open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (file.get() < 0) return false;
  struct stat status;
  if (fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode)) return false;
  // The size seen now is a hint: the file may change while it is read.
  std::size_t capacity = static_cast<std::size_t>(status.st_size) + 1;
  if (capacity < 4096) capacity = 4096;
  if (!contents->Resize(capacity)) return false;
  std::size_t used = 0;
  for (;;) {
    if (used == capacity) {
      if (capacity > SIZE_MAX / 2 || !contents->Resize(capacity * 2))
        return false;
      capacity *= 2;
    }
    const ssize_t got = read(file.get(), contents->get() + used, capacity - used);
    if (got < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (got == 0) break;
    used += static_cast<std::size_t>(got);
  }
  *size = used;
  return true;
}

}  // namespace pomvarin::platform::posix

namespace pomvarin::platform {

void ReadProfileString(const char* section, const char* key,
                       const char* fallback, Text& value, const char* path) {
  posix::PosixPath posixPath;
  posix::HeapBlock contents;
  std::size_t size = 0;
  if (!posix::ToPosixPath(path, posixPath) ||
      !posix::ReadWholeFile(posixPath, &contents, &size)) {
    posix::FindProfileValue(nullptr, 0, section, key, fallback, value);
    return;
  }
  posix::FindProfileValue(contents.get(), size, section, key, fallback, value);
}

}  // namespace pomvarin::platform
