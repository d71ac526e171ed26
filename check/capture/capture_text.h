// The text helpers every capture reader shares: lines, blanks, quoting of
// what was found, and the shapes of device IDs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "check/capture/capture.h"

namespace pomvarin::check::capture {

using Lines = std::vector<std::string>;

// A "Name: value" line, as the readers split them.
struct Field {
  std::string name;
  std::string value;
};

// Sets error and gives false, for "return Fail(...)".
bool Fail(int line, const std::string& message, CaptureError* error);

// The text in quotes, cut short when long, for a message.
std::string QuotedExcerpt(const std::string& text);

// The line a byte offset of the text is on, from 1.
int LineAt(const std::string& text, std::size_t offset);

// Lines end at LF or CRLF.
Lines SplitLines(const std::string& text);

// White space as the list form splits IDs at it, so that a line reads the
// same whatever blanks stand around its IDs.
bool IsBlank(char c);

// The line without the blanks at either end.
std::string Trim(const std::string& text);

// The blank-separated words of a line.
std::vector<std::string> Words(const std::string& line);

// Whether the count characters at from are hex digits, all inside the text.
bool IsHexDigits(const std::string& text, std::size_t from, std::size_t count);

// The value of hex digits checked with IsHexDigits.
std::uint32_t HexValue(const std::string& digits);

// The number of "\"-separated parts of a device ID in the enumerator's form
// (ENUMERATOR\rest, no blanks, no empty part), or 0 for any other text.
int DeviceIdParts(const std::string& text);

// A hardware or compatible ID: ENUMERATOR\ID.
bool IsHardwareId(const std::string& text);

// A device instance ID: ENUMERATOR\ID\INSTANCE.
bool IsInstanceId(const std::string& text);

}  // namespace pomvarin::check::capture
