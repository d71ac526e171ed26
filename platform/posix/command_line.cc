#include "platform/posix/command_line.h"

#include <cstdint>
#include <cstring>

namespace pomvarin::platform::posix {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

bool JoinArguments(int count, char* const* arguments, HeapBlock* text) {
  std::size_t size = 1;
  for (int i = 0; i < count; ++i) size += std::strlen(arguments[i]) + 1;
  if (!ResizeBlock(*text, size)) return false;
  char* at = text->get();
  for (int i = 0; i < count; ++i) {
    if (i > 0) *at++ = ' ';
    const std::size_t length = std::strlen(arguments[i]);
    std::memcpy(at, arguments[i], length);
    at += length;
  }
  *at = '\0';
  return true;
}

bool ArgumentVector::Build(const char* program, const char* parameters) {
  const std::size_t length = std::strlen(parameters);
  // Each argument takes at least one byte of the parameters, so length + 2
  // pointers hold the program, the arguments and the final nullptr; their
  // bytes with terminators need no more than length + 1.
  if (length > SIZE_MAX / sizeof(char*) - 2) return false;
  if (!ResizeBlock(text_, length + 1) ||
      !ResizeBlock(pointers_, (length + 2) * sizeof(char*)))
    return false;
  char** pointers = reinterpret_cast<char**>(pointers_.get());
  std::size_t count = 0;
  pointers[count++] = const_cast<char*>(program);

  const char* in = parameters;
  char* out = text_.get();
  for (;;) {
    while (IsBlank(*in)) ++in;
    if (*in == '\0') break;
    pointers[count++] = out;
    bool quoted = false;
    for (; *in != '\0' && (quoted || !IsBlank(*in)); ++in) {
      if (*in == '"') {
        quoted = !quoted;
      } else {
        *out++ = *in;
      }
    }
    *out++ = '\0';
  }
  pointers[count] = nullptr;
  return true;
}

}  // namespace pomvarin::platform::posix
