#include "common/text.h"

#include <cstring>

#include "common/ascii.h"

namespace pomvarin {

bool JoinPath(Text& path, const char* folder, const char* name) {
  std::size_t folderLength = std::strlen(folder);
  std::size_t nameLength = std::strlen(name);
  if (folderLength >= kTextSize || nameLength >= kTextSize - folderLength - 1)
    return false;
  std::memcpy(path, folder, folderLength);
  path[folderLength] = '\\';
  std::memcpy(path + folderLength + 1, name, nameLength + 1);
  return true;
}

bool IsDotEntry(const char* name) {
  return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

bool EqualIgnoringAsciiCase(const char* a, const char* b, std::size_t length) {
  for (std::size_t i = 0; i < length; ++i) {
    if (a[i] == '\0' || LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return a[length] == '\0';
}

bool FirstStringContains(const unsigned char* data, std::size_t size,
                         const char* text) {
  const void* end = std::memchr(data, 0, size);
  std::size_t stringLength =
      end ? static_cast<const unsigned char*>(end) - data : size;
  std::size_t textLength = std::strlen(text);
  if (textLength > stringLength) return false;
  if (textLength == 0) return true;
  // The first byte is compared before the rest: this runs on every hardware
  // ID of every device, where a call to compare at each place costs more.
  const unsigned char first = static_cast<unsigned char>(text[0]);
  for (std::size_t start = 0; start + textLength <= stringLength; ++start) {
    if (data[start] == first &&
        std::memcmp(data + start + 1, text + 1, textLength - 1) == 0)
      return true;
  }
  return false;
}

}  // namespace pomvarin
