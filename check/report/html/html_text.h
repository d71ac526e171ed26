// Texts as they go into the HTML page: escaped, valid UTF-8, and the time
// of a check in words.
#pragma once

#include <cstdint>
#include <string>

namespace pomvarin::check {

// text as HTML, fit for an element's content and for a quoted attribute
// value alike: the markup characters escaped, and bytes that are not UTF-8
// written as the characters of the same number, as JSON has them. Control
// characters, which HTML does not take, show as U+FFFD.
std::string Html(const std::string& text);

// A time in seconds since 1970 in UTC, as "2026-12-10 07:49 UTC".
std::string UtcTimeText(std::int64_t seconds);

}  // namespace pomvarin::check
