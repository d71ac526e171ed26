// Which bytes of a text from the disc, a capture or an .inf file are
// well-formed UTF-8: the reports pass those on and write the others as the
// characters of the same number (a Windows code page's letters, mostly).
#pragma once

#include <cstddef>
#include <string>

namespace pomvarin::check {

// The length of the well-formed UTF-8 sequence at text[at], or 0 when there
// is none: overlong forms, surrogates and code points past U+10FFFF are
// none, so that every reader takes what is written.
std::size_t Utf8SequenceLength(const std::string& text, std::size_t at);

// The character of the byte's number (U+0080 to U+00FF) in UTF-8.
std::string ByteAsCharacter(unsigned char byte);

}  // namespace pomvarin::check
