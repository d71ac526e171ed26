// Files saved on other systems (UTF-8, UTF-16 either way) decoded to UTF-8.
#include "check/input/file_text.h"

#include <algorithm>
#include <cstdint>

namespace pomvarin::check {

void AppendUtf8(std::uint32_t c, std::string* text) {
  if (c < 0x80) {
    *text += static_cast<char>(c);
  } else if (c < 0x800) {
    *text += static_cast<char>(0xC0 | c >> 6);
    *text += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    *text += static_cast<char>(0xE0 | c >> 12);
    *text += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    *text += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    *text += static_cast<char>(0xF0 | c >> 18);
    *text += static_cast<char>(0x80 | (c >> 12 & 0x3F));
    *text += static_cast<char>(0x80 | (c >> 6 & 0x3F));
    *text += static_cast<char>(0x80 | (c & 0x3F));
  }
}

namespace {

int LinesIn(const std::string& text) {
  int line = 1;
  for (char c : text) line += c == '\n';
  return line;
}

// The bytes from from on (past the byte-order mark, if any) as UTF-8.
bool DecodeUtf16(std::string_view bytes, std::size_t from, bool bigEndian,
                 std::string* text, int* faultLine, std::string* fault) {
  auto unit = [&](std::size_t at) {
    const auto first = static_cast<unsigned char>(bytes[at]);
    const auto second = static_cast<unsigned char>(bytes[at + 1]);
    return static_cast<std::uint32_t>(bigEndian ? first << 8 | second
                                                : second << 8 | first);
  };
  auto fail = [&](const char* found) {
    *faultLine = LinesIn(*text);
    *fault = std::string("expected UTF-16 text, found ") + found;
    return false;
  };
  if (bytes.size() % 2 != 0) return fail("an odd number of bytes");
  // At least one byte of UTF-8 for each two of UTF-16.
  text->reserve(bytes.size() / 2);
  for (std::size_t at = from; at < bytes.size(); at += 2) {
    std::uint32_t c = unit(at);
    if (c >= 0xD800 && c < 0xDC00 && at + 3 < bytes.size() &&
        unit(at + 2) >= 0xDC00 && unit(at + 2) < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (unit(at + 2) - 0xDC00);
      at += 2;
    } else if (c >= 0xD800 && c < 0xE000) {
      return fail("a lone surrogate");
    }
    AppendUtf8(c, text);
  }
  return true;
}

// UTF-16LE whose byte-order mark was lost (a dump committed through a tool
// that drops it), told by its shape: its first characters are of
// U+0001..U+00FF, each a byte other than NUL and a NUL. UTF-8 text holds
// no NUL, so none is taken for it.
bool LooksLikeUtf16LeWithoutMark(std::string_view bytes) {
  const std::size_t units = std::min<std::size_t>(bytes.size() / 2, 32);
  for (std::size_t i = 0; i < units; ++i) {
    if (bytes[2 * i] == '\0' || bytes[2 * i + 1] != '\0') return false;
  }
  return units > 0;
}

}  // namespace

bool DecodeFileText(std::string_view bytes, Utf16Orders orders,
                    std::string* decoded, std::string_view* text,
                    int* faultLine, std::string* fault) {
  decoded->clear();
  const bool littleEndian = bytes.substr(0, 2) == "\xFF\xFE";
  const bool unmarked = !littleEndian && LooksLikeUtf16LeWithoutMark(bytes);
  if (littleEndian || unmarked ||
      (orders == Utf16Orders::kEither && bytes.substr(0, 2) == "\xFE\xFF")) {
    if (!DecodeUtf16(bytes, unmarked ? 0 : 2, !(littleEndian || unmarked),
                     decoded, faultLine, fault))
      return false;
    *text = *decoded;
    return true;
  }
  *text = bytes.substr(0, 3) == "\xEF\xBB\xBF" ? bytes.substr(3) : bytes;
  return true;
}

}  // namespace pomvarin::check
