// The text of a file the check reads from another system (a device
// capture, an .inf file), whatever encoding that system saved it in.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace pomvarin::check {

enum class Utf16Orders { kLittleEndian, kEither };

// The bytes as UTF-8 text, in *text: past a UTF-8 byte-order mark, a view
// of the bytes themselves, which stay as they are; UTF-16 with a mark
// (big-endian only where orders allows it), or little-endian without one
// whose first characters are
// of U+0001..U+00FF, is decoded into *decoded, and
// *text views that. False for UTF-16 that is none, with the line it breaks
// on and what was found there.
bool DecodeFileText(std::string_view bytes, Utf16Orders orders,
                    std::string* decoded, std::string_view* text,
                    int* faultLine, std::string* fault);

// Appends a character's UTF-8 bytes.
void AppendUtf8(std::uint32_t c, std::string* text);

}  // namespace pomvarin::check
