// The lines of an initialisation file as the Windows reader sees them:
// shared by the value lookup and the listing of sections and keys.
#pragma once

#include <cstddef>
#include <cstring>

#include "platform/posix/posix_common.h"

namespace pomvarin::platform::posix {

struct Span {
  const char* begin;
  std::size_t length;
};

// White space around names and values, 0x1A (an old end-of-file mark)
// included.
inline bool IsProfileSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' ||
         c == '\f' || c == '\x1A';
}

inline Span Trim(const char* begin, const char* end) {
  while (begin < end && IsProfileSpace(*begin)) ++begin;
  while (end > begin && IsProfileSpace(end[-1])) --end;
  return Span{begin, static_cast<std::size_t>(end - begin)};
}

inline Span TrimText(const char* text) {
  return Trim(text, text + std::strlen(text));
}

// Section and key names compare without ASCII case.
inline bool SameName(Span a, Span b) {
  if (a.length != b.length) return false;
  for (std::size_t i = 0; i < a.length; ++i) {
    if (LowerAscii(a.begin[i]) != LowerAscii(b.begin[i])) return false;
  }
  return true;
}

// A section line or a key line, trimmed.
struct ProfileLine {
  enum Kind { kSection, kKey, kKeyWithoutValue };
  Kind kind;
  Span name;   // the section's or the key's name
  Span value;  // a key's value
};

// The section and key lines of an initialisation text in order. A line
// ends at LF, CRLF or a lone CR. Blank lines and comments (";") are passed
// over; a UTF-8 byte order mark at the start is no part of the first line.
class ProfileLines {
 public:
  ProfileLines(const char* data, std::size_t size);
  bool Next(ProfileLine& line);

 private:
  const char* at_;
  const char* end_;
};

}  // namespace pomvarin::platform::posix
