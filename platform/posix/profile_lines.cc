#include "platform/posix/profile_lines.h"

namespace pomvarin::platform::posix {

namespace {

const char kByteOrderMark[] = "\xEF\xBB\xBF";

}  // namespace

ProfileLines::ProfileLines(const char* data, std::size_t size)
    : at_(data), end_(data + size) {
  const std::size_t markLength = sizeof kByteOrderMark - 1;
  if (size >= markLength && std::memcmp(data, kByteOrderMark, markLength) == 0)
    at_ += markLength;
}

bool ProfileLines::Next(ProfileLine& line) {
  while (at_ < end_) {
    const char* lineEnd =
        static_cast<const char*>(std::memchr(at_, '\n', end_ - at_));
    if (!lineEnd) lineEnd = end_;
    const Span text = Trim(at_, lineEnd);
    at_ = lineEnd < end_ ? lineEnd + 1 : end_;
    if (text.length == 0 || text.begin[0] == ';') continue;
    const char* textEnd = text.begin + text.length;
    if (text.begin[0] == '[') {
      const char* close =
          static_cast<const char*>(std::memchr(text.begin, ']', text.length));
      // A "[" line without "]" is read as a key line, as Windows does.
      if (close) {
        line = ProfileLine{ProfileLine::kSection, Trim(text.begin + 1, close),
                           Span{close, 0}};
        return true;
      }
    }
    const char* equals =
        static_cast<const char*>(std::memchr(text.begin, '=', text.length));
    if (!equals) continue;
    line = ProfileLine{ProfileLine::kKey, Trim(text.begin, equals),
                       Trim(equals + 1, textEnd)};
    return true;
  }
  return false;
}

}  // namespace pomvarin::platform::posix
