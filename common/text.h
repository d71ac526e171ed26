// Byte-string helpers shared by the launcher and the setup search. Every
// comparison works on bytes; the only case rules are those of the ASCII
// letters.
#pragma once

#include <cstddef>

#include "platform/platform.h"

namespace pomvarin {

// folder + "\" + name, or false when that does not fit in a Text: a cut
// path is never used.
bool JoinPath(Text& path, const char* folder, const char* name);

// Whether a equals the first length bytes of b and has no more bytes,
// ignoring the case of ASCII letters.
bool EqualIgnoringAsciiCase(const char* a, const char* b, std::size_t length);

// Whether text occurs in the first NUL-terminated string of data. Never
// reads past size bytes, also when data holds no NUL. An empty text always
// occurs.
bool FirstStringContains(const unsigned char* data, std::size_t size,
                         const char* text);

}  // namespace pomvarin
