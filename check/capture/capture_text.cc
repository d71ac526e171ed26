#include "check/capture/capture_text.h"

#include <algorithm>

#include "common/ascii.h"

namespace pomvarin::check::capture {

bool Fail(int line, const std::string& message, CaptureError* error) {
  *error = CaptureError{line, message};
  return false;
}

std::string QuotedExcerpt(std::string_view text) {
  const std::size_t shown = 60;
  return pomvarin::Quoted(text.size() > shown
                              ? std::string(text.substr(0, shown)) + "..."
                              : std::string(text));
}

int LineAt(std::string_view text, std::size_t offset) {
  int line = 1;
  for (std::size_t i = 0; i < offset && i < text.size(); ++i)
    line += text[i] == '\n';
  return line;
}

bool LineCursor::Next() {
  if (rest_.empty()) return false;
  const std::size_t end = std::min(rest_.find('\n'), rest_.size());
  line_ = rest_.substr(0, end);
  if (!line_.empty() && line_.back() == '\r') line_.remove_suffix(1);
  rest_.remove_prefix(std::min(end + 1, rest_.size()));
  ++number_;
  return true;
}

namespace {

// As IsBlank tells them.
const char kBlanks[] = " \t\v\f\r";

}  // namespace

bool IsBlank(char c) {
  // Every blank is a space or below it: most characters are told at once.
  return c <= ' ' &&
         (c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r');
}

std::string_view Trim(std::string_view text) {
  const std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

bool NextWord(std::string_view* rest, std::string_view* word) {
  std::size_t at = 0;
  while (at < rest->size() && IsBlank((*rest)[at])) ++at;
  std::size_t end = at;
  while (end < rest->size() && !IsBlank((*rest)[end])) ++end;
  *word = rest->substr(at, end - at);
  rest->remove_prefix(end);
  return !word->empty();
}

bool IsHexDigits(std::string_view text, std::size_t from, std::size_t count) {
  if (from + count > text.size()) return false;
  for (std::size_t i = from; i < from + count; ++i) {
    const char c = text[i];
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') ||
          (c >= 'A' && c <= 'F')))
      return false;
  }
  return true;
}

std::uint32_t HexValue(std::string_view digits) {
  std::uint32_t value = 0;
  for (char c : digits) {
    const int digit = c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
    value = value * 16 + static_cast<std::uint32_t>(digit);
  }
  return value;
}

namespace {

bool IsWordCharacter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
         (c >= '0' && c <= '9') || c == '_';
}

}  // namespace

int DeviceIdParts(std::string_view text) {
  std::size_t enumerator = 0;
  while (enumerator < text.size() && IsWordCharacter(text[enumerator]))
    ++enumerator;
  if (enumerator == 0 || enumerator == text.size() || text[enumerator] != '\\')
    return 0;
  int parts = 1;
  std::size_t partLength = 0;
  for (std::size_t i = enumerator + 1; i < text.size(); ++i) {
    if (IsBlank(text[i])) return 0;
    if (text[i] == '\\') {
      if (partLength == 0) return 0;
      ++parts;
      partLength = 0;
    } else {
      ++partLength;
    }
  }
  return partLength == 0 ? 0 : parts + 1;
}

bool IsHardwareId(std::string_view text) { return DeviceIdParts(text) == 2; }

bool IsInstanceId(std::string_view text) { return DeviceIdParts(text) >= 3; }

}  // namespace pomvarin::check::capture
