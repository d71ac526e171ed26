#include "check/inf_lines.h"

#include <string_view>

#include "common/ascii.h"

namespace pomvarin::check {

namespace {

// Blanks around .inf names and values.
const char kInfBlanks[] = " \t\r";

std::string_view Trim(std::string_view text) {
  const std::size_t first = text.find_first_not_of(kInfBlanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kInfBlanks) - first + 1);
}

void TrimInPlace(std::string* text) {
  text->erase(text->find_last_not_of(kInfBlanks) + 1);
  text->erase(0, text->find_first_not_of(kInfBlanks));
}

// Splits one logical line at "=" and "," outside quotes; "" in quotes is a
// quote. False for a quote left open.
bool SplitFields(std::string_view text, std::string* key,
                 std::vector<std::string>* values) {
  values->emplace_back();
  bool quoted = false, keyEnded = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') {
      if (quoted && i + 1 < text.size() && text[i + 1] == '"') {
        values->back() += '"';
        ++i;
      } else {
        quoted = !quoted;
      }
    } else if (!quoted && c == '=' && !keyEnded) {
      *key = Trim(values->back());
      values->back().clear();
      keyEnded = true;
    } else if (!quoted && c == ',') {
      values->emplace_back();
    } else {
      values->back() += c;
    }
  }
  for (std::string& value : *values) TrimInPlace(&value);
  return !quoted;
}

class LineReader {
 public:
  LineReader(InfLineSink& sink, InfProblem* refusal)
      : sink_(sink), refusal_(refusal) {}

  bool Read(std::string_view text) {
    std::string logical;
    int first = 0;
    int number = 0;
    std::size_t at = 0;
    while (at <= text.size()) {
      std::size_t end = text.find('\n', at);
      if (end == std::string::npos) end = text.size();
      const std::string_view physical(text.data() + at, end - at);
      at = end + 1;
      ++number;
      if (logical.empty()) first = number;
      // A ";" outside quotes starts a comment.
      bool quoted = false;
      std::size_t cut = 0;
      for (; cut < physical.size(); ++cut) {
        if (physical[cut] == '"') quoted = !quoted;
        if (physical[cut] == ';' && !quoted) break;
      }
      std::string_view content = Trim(physical.substr(0, cut));
      const bool continues = !content.empty() && content.back() == '\\';
      if (continues) content.remove_suffix(1);
      logical += content;
      if (continues && at <= text.size()) continue;
      if (!TakeLine(first, Trim(logical))) return false;
      logical.clear();
    }
    return true;
  }

 private:
  bool TakeLine(int number, std::string_view text) {
    if (text.empty()) return true;
    if (text[0] == '[') {
      const std::size_t close = text.find(']');
      if (close == std::string_view::npos)
        return Refuse(number, "a section name without its closing \"]\"");
      sink_.Section(LowerAscii(std::string(Trim(text.substr(1, close - 1)))));
      inSection_ = true;
      return true;
    }
    InfLine line{number, "", {}};
    if (!SplitFields(text, &line.key, &line.values))
      return Refuse(number, "a quoted string without its closing quote");
    if (!inSection_) return Refuse(number, "a line before the first section");
    sink_.Line(std::move(line));
    return true;
  }

  bool Refuse(int line, const std::string& message) {
    *refusal_ = InfProblem{line, message};
    return false;
  }

  InfLineSink& sink_;
  InfProblem* refusal_;
  bool inSection_ = false;
};

}  // namespace

bool ReadInfLines(std::string_view text, InfLineSink& sink,
                  InfProblem* refusal) {
  return LineReader(sink, refusal).Read(text);
}

}  // namespace pomvarin::check
