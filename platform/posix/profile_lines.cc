#include "platform/posix/profile_lines.h"

namespace pomvarin::platform::posix {

namespace {

const char kByteOrderMark[] = "\xEF\xBB\xBF";

// A line ends at LF, CRLF or a lone CR: Windows reads a file saved with CR
// line ends as it reads the same file with CRLF ones.
const char* FindLineEnd(const char* at, const char* end) {
  while (at < end && *at != '\n' && *at != '\r') ++at;
  return at;
}

// The reader keeps names as C strings: a name ends at its first NUL.
Span UpToNul(Span name) {
  const void* nul = std::memchr(name.begin, '\0', name.length);
  if (nul) name.length = static_cast<const char*>(nul) - name.begin;
  return name;
}

// A section name runs to the last "]" of its line.
const char* LastOf(char wanted, Span text) {
  for (std::size_t i = text.length; i > 0; --i) {
    if (text.begin[i - 1] == wanted) return text.begin + i - 1;
  }
  return nullptr;
}

const char* SkipLineEnd(const char* lineEnd, const char* end) {
  if (lineEnd == end) return end;
  if (*lineEnd == '\r' && lineEnd + 1 < end && lineEnd[1] == '\n')
    return lineEnd + 2;
  return lineEnd + 1;
}

}  // namespace

ProfileLines::ProfileLines(const char* data, std::size_t size)
    : at_(data), end_(data + size) {
  const std::size_t markLength = sizeof kByteOrderMark - 1;
  if (size >= markLength && std::memcmp(data, kByteOrderMark, markLength) == 0)
    at_ += markLength;
}

bool ProfileLines::Next(ProfileLine& line) {
  while (at_ < end_) {
    const char* lineEnd = FindLineEnd(at_, end_);
    const Span text = Trim(at_, lineEnd);
    at_ = SkipLineEnd(lineEnd, end_);
    if (text.length == 0 || text.begin[0] == ';') continue;
    const char* textEnd = text.begin + text.length;
    if (text.begin[0] == '[') {
      const char* close = LastOf(']', text);
      // A "[" line without "]" is read as a key line, as Windows does.
      if (close) {
        line = ProfileLine{ProfileLine::kSection,
                           UpToNul(Trim(text.begin + 1, close)), Span{close, 0}};
        return true;
      }
    }
    const char* equals =
        static_cast<const char*>(std::memchr(text.begin, '=', text.length));
    // A line without "=" is a key without a value: it reads as absent, and
    // hides a later key of its name.
    if (!equals) {
      line = ProfileLine{ProfileLine::kKeyWithoutValue, UpToNul(text),
                         Span{textEnd, 0}};
      return true;
    }
    line = ProfileLine{ProfileLine::kKey, UpToNul(Trim(text.begin, equals)),
                       Trim(equals + 1, textEnd)};
    return true;
  }
  return false;
}

}  // namespace pomvarin::platform::posix
