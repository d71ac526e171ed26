// The strings an .inf file's %key% tokens stand for, and their substitution.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "check/packages/inf.h"

namespace pomvarin::check {

// Which section the tokens are looked up in. Windows takes the one of its
// locale ([Strings.0407]), else [Strings]; knowing no locale, the check
// takes [Strings], or in a file with only localised ones the first of those
// by name.
class StringsSectionChoice {
 public:
  // Each section heading of the file, its name in lower case.
  void See(const std::string& lowerName);
  // The lower-case name; empty when the file has no strings section.
  const std::string& chosen() const { return chosen_; }
  // Whether the file has localised sections, so that a locale could matter.
  bool localised() const { return localised_; }

 private:
  std::string chosen_;
  bool localised_ = false;
};

// One strings section by lower-case key: a token costs one look-up, however
// long the section. The first definition of a key wins.
using InfStrings = std::unordered_map<std::string, std::string>;

// The strings of the section lowerName (empty: none) in text, a text that
// has been read whole once without a refusal.
InfStrings ReadInfStrings(std::string_view text,
                          const std::string& lowerName);

// text with its %key% tokens replaced by their values and "%%" by "%". A key
// strings lacks stays as written, and is reported in problems at line.
std::string Substitute(const InfStrings& strings, const std::string& text,
                       int line, std::vector<InfProblem>* problems);

}  // namespace pomvarin::check
