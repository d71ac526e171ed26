// The lines of an .inf text, split by the rules Windows reads them by:
// comments, quotes, lines continued with "\", section headings, blanks.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "check/packages/inf.h"

namespace pomvarin::check {

// One logical line below a section heading.
struct InfLine {
  int number = 0;  // of its first physical line, from 1
  // The text before an "=" that comes before any ","; empty without one,
  // except that a line of one field is its own key, as Windows has it.
  std::string key;
  // At least one (the text after "="); quotes removed, not yet substituted.
  std::vector<std::string> values;
};

// What a reading does with the lines: a file is read more than once, each
// time keeping only what that reading needs.
class InfLineSink {
 public:
  virtual ~InfLineSink() = default;
  // A section heading, its name in lower case; the lines up to the next
  // heading are this section's.
  virtual void Section(const std::string& lowerName) = 0;
  virtual void Line(InfLine line) = 0;
};

// Hands every heading and line of text to sink, in file order. False, with
// the reason in *refusal, when Windows refuses the file: it then serves no
// device.
bool ReadInfLines(std::string_view text, InfLineSink& sink,
                  InfProblem* refusal);

}  // namespace pomvarin::check
