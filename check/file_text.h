// The text of a file the check reads from another system (a device
// capture, an .inf file), whatever encoding that system saved it in.
#pragma once

#include <string>

namespace pomvarin::check {

enum class Utf16Orders { kLittleEndian, kEither };

// The bytes as UTF-8 text: a UTF-8 byte-order mark is dropped, UTF-16 with
// one (big-endian only where orders allows it) becomes UTF-8, anything else
// stays as it is. False for UTF-16 that is none, with the line it breaks
// on and what was found there.
bool DecodeFileText(const std::string& bytes, Utf16Orders orders,
                    std::string* text, int* faultLine, std::string* fault);

}  // namespace pomvarin::check
