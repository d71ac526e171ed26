// Texts as the launcher holds them, and the byte-string helpers shared by
// the launcher, the setup search and the platform layers. Every comparison
// works on bytes; the only case rules are those of the ASCII letters.
#pragma once

#include <cstddef>

namespace pomvarin {

// Room for one path or configuration value with its terminator: the
// platform's path limit of 260 bytes.
constexpr std::size_t kTextSize = 260;
using Text = char[kTextSize];

// folder + "\" + name, or false when that does not fit in a Text: a cut
// path is never used.
bool JoinPath(Text& path, const char* folder, const char* name);

// Whether a listed name is "." or "..", which every walk passes over.
bool IsDotEntry(const char* name);

// Whether a equals the first length bytes of b and has no more bytes,
// ignoring the case of ASCII letters.
bool EqualIgnoringAsciiCase(const char* a, const char* b, std::size_t length);

// Whether text occurs in the first NUL-terminated string of data. Never
// reads past size bytes, also when data holds no NUL. An empty text always
// occurs.
bool FirstStringContains(const unsigned char* data, std::size_t size,
                         const char* text);

}  // namespace pomvarin
