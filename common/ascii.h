// The case rules of the ASCII letters, and the small text helpers built on
// them: the system compares names and IDs on bytes, with "A" to "Z" and
// "a" to "z" as the only letters that have a case.
#pragma once

#include <string>

namespace pomvarin {

inline char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

inline char UpperAscii(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string LowerAscii(std::string text);
std::string UpperAscii(std::string text);

// Whether a and b are the same name but for the case of ASCII letters, as
// section, key and file names compare.
bool SameName(const std::string& a, const std::string& b);

// text without the characters of blanks at either end.
std::string Trim(const std::string& text, const char* blanks);

// text in double quotes, as messages show a value.
std::string Quoted(const std::string& text);

}  // namespace pomvarin
