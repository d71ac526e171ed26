// The text helpers every capture reader shares: lines, blanks, quoting of
// what was found, and the shapes of device IDs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "check/capture/capture.h"

namespace pomvarin::check::capture {

// The lines of a text one after another, each a view into the text without
// its LF or CRLF end: a capture is walked, never split up whole. A copy
// reads on from where the cursor stood, for a look ahead.
class LineCursor {
 public:
  explicit LineCursor(std::string_view text) : rest_(text) {}

  // Moves to the next line; false past the last one.
  bool Next();

  std::string_view line() const { return line_; }
  // From 1; past the last line, the number of lines (0 before any).
  int number() const { return number_; }

 private:
  std::string_view rest_;  // the text after the current line
  std::string_view line_;
  int number_ = 0;
};

// A "Name: value" line, as the readers split them: views into the line.
struct Field {
  std::string_view name;
  std::string_view value;
};

// Sets error and gives false, for "return Fail(...)".
bool Fail(int line, const std::string& message, CaptureError* error);

// The text in quotes, cut short when long, for a message.
std::string QuotedExcerpt(std::string_view text);

// The line a byte offset of the text is on, from 1.
int LineAt(std::string_view text, std::size_t offset);

// White space as the list form splits IDs at it, so that a line reads the
// same whatever blanks stand around its IDs.
bool IsBlank(char c);

// The line without the blanks at either end.
std::string_view Trim(std::string_view text);

// The next blank-separated word of rest, which moves on past it; false when
// no word is left.
bool NextWord(std::string_view* rest, std::string_view* word);

// Whether the count characters at from are hex digits, all inside the text.
bool IsHexDigits(std::string_view text, std::size_t from, std::size_t count);

// The value of hex digits checked with IsHexDigits.
std::uint32_t HexValue(std::string_view digits);

// The number of "\"-separated parts of a device ID in the enumerator's form
// (ENUMERATOR\rest, no blanks, no empty part), or 0 for any other text.
int DeviceIdParts(std::string_view text);

// A hardware or compatible ID: ENUMERATOR\ID.
bool IsHardwareId(std::string_view text);

// A device instance ID: ENUMERATOR\ID\INSTANCE.
bool IsInstanceId(std::string_view text);

}  // namespace pomvarin::check::capture
