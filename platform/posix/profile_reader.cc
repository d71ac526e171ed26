#include "platform/posix/profile_reader.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <ctime>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/posix/profile_lines.h"
#include "platform/system_profile.h"

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

bool ReadWholeFile(const char* path, HeapBlock* contents, std::size_t* size,
                   struct stat* status) {
  // Not blocking: a FIFO in the file's place must not hold the run up. Only
  // a regular file counts; a FIFO or a device reads as no file at all.
  FileDescriptor file(open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (file.get() < 0) return false;
  struct stat ownStatus;
  if (!status) status = &ownStatus;
  if (fstat(file.get(), status) != 0 || !S_ISREG(status->st_mode)) return false;
  // The size seen now is a hint: the file may change while it is read.
  std::size_t capacity = static_cast<std::size_t>(status->st_size) + 1;
  if (capacity < 4096) capacity = 4096;
  if (!ResizeBlock(*contents, capacity)) return false;
  std::size_t used = 0;
  for (;;) {
    if (used == capacity) {
      if (capacity > SIZE_MAX / 2 || !ResizeBlock(*contents, capacity * 2))
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

namespace {

// A file system stamps a change with a time cut to its own granularity:
// nanoseconds on most, two seconds on FAT, where a driver bundle on a stick
// may well be. A file last changed more than this before it was read will
// show any later change as a later change time.
constexpr time_t kStampMargin = 2;

// The configuration file as last read, kept while it shows no change: a run
// reads six values from it, and more for every further vendor entry.
struct KeptProfile {
  posix::PosixPath path;
  posix::HeapBlock contents;
  std::size_t size = 0;
  struct stat status {};
  bool kept = false;
};

KeptProfile keptProfile;

bool SameTime(const timespec& a, const timespec& b) {
  return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// The same file, unchanged since it was read: a rewrite changes the change
// time at least, and a replacement the file's identity.
bool Unchanged(const struct stat& now, const struct stat& then) {
  return now.st_dev == then.st_dev && now.st_ino == then.st_ino &&
         now.st_size == then.st_size && SameTime(now.st_mtim, then.st_mtim) &&
         SameTime(now.st_ctim, then.st_ctim);
}

// Whether a change after the read began is sure to show: the file's stamps
// lie before the start of the read by more than any file system cuts them.
// A file changed just before it was read is read afresh every time.
bool SettledBefore(const timespec& stamp, const timespec& readStart) {
  const time_t seconds = stamp.tv_sec + kStampMargin;
  return seconds < readStart.tv_sec ||
         (seconds == readStart.tv_sec && stamp.tv_nsec < readStart.tv_nsec);
}

bool StampsSettled(const struct stat& status, const timespec& readStart) {
  return SettledBefore(status.st_ctim, readStart) &&
         SettledBefore(status.st_mtim, readStart);
}

// The kept bytes of the file at path, when it is still what was read.
bool KeptStillHolds(const char* path) {
  struct stat now;
  return keptProfile.kept && std::strcmp(keptProfile.path, path) == 0 &&
         stat(path, &now) == 0 && Unchanged(now, keptProfile.status);
}

}  // namespace

void ReadSystemProfileString(const char* section, const char* key,
                             const char* fallback, Text& value,
                             const char* path) {
  posix::PosixPath posixPath;
  if (!posix::ToPosixPath(path, posixPath)) {
    posix::FindProfileValue(nullptr, 0, section, key, fallback, value);
    return;
  }
  if (KeptStillHolds(posixPath)) {
    posix::FindProfileValue(keptProfile.contents.get(), keptProfile.size,
                            section, key, fallback, value);
    return;
  }
  keptProfile.kept = false;
  // The coarse clock is the one file systems stamp changes with.
  timespec readStart;
  const bool started = clock_gettime(CLOCK_REALTIME_COARSE, &readStart) == 0;
  posix::HeapBlock contents;
  std::size_t size = 0;
  struct stat status;
  if (!posix::ReadWholeFile(posixPath, &contents, &size, &status)) {
    posix::FindProfileValue(nullptr, 0, section, key, fallback, value);
    return;
  }
  posix::FindProfileValue(contents.get(), size, section, key, fallback, value);
  if (started && StampsSettled(status, readStart)) {
    std::strcpy(keptProfile.path, posixPath);
    keptProfile.contents.reset(contents.release());
    keptProfile.size = size;
    keptProfile.status = status;
    keptProfile.kept = true;
  }
}

}  // namespace pomvarin::platform
