// Command-line texts: the launcher's arguments from the program's argv, and
// the argv of a started program from a parameters text.
#pragma once

#include <cstddef>

#include "platform/posix/posix_common.h"

namespace pomvarin::platform::posix {

// Joins arguments[0, count) with single blanks into text (empty when count
// is 0). False when the memory cannot be had.
bool JoinArguments(int count, char* const* arguments, HeapBlock* text);

// The argument vector of a program start: the program's path, then the
// parameters text split at blanks (space, tab), double quotes grouping
// blanks into an argument and themselves removed; then nullptr. There are
// no backslash escapes: "\" is a path separator.
class ArgumentVector {
 public:
  ArgumentVector() = default;
  ArgumentVector(const ArgumentVector&) = delete;
  ArgumentVector& operator=(const ArgumentVector&) = delete;

  // False when the memory cannot be had.
  bool Build(const char* program, const char* parameters);

  // Valid after Build succeeded, for as long as the vector lives.
  char* const* get() const {
    return reinterpret_cast<char* const*>(pointers_.get());
  }

 private:
  HeapBlock text_;
  HeapBlock pointers_;
};

}  // namespace pomvarin::platform::posix
