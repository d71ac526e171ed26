#include "check/inf_lines.h"

#include "common/ascii.h"

namespace pomvarin::check {

namespace {

// Blanks around .inf names and values.
const char kInfBlanks[] = " \t\r";

std::string Trim(const std::string& text) {
  return pomvarin::Trim(text, kInfBlanks);
}

// Splits one logical line at "=" and "," outside quotes; "" in quotes is a
// quote. False for a quote left open.
bool SplitFields(const std::string& text, std::string* key,
                 std::vector<std::string>* values) {
  std::vector<std::string> fields(1);
  bool quoted = false, keyEnded = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') {
      if (quoted && i + 1 < text.size() && text[i + 1] == '"') {
        fields.back() += '"';
        ++i;
      } else {
        quoted = !quoted;
      }
    } else if (!quoted && c == '=' && !keyEnded) {
      *key = Trim(fields.back());
      fields.back().clear();
      keyEnded = true;
    } else if (!quoted && c == ',') {
      fields.emplace_back();
    } else {
      fields.back() += c;
    }
  }
  for (std::string& field : fields) values->push_back(Trim(field));
  return !quoted;
}

class LineReader {
 public:
  LineReader(InfLineSink& sink, InfProblem* refusal)
      : sink_(sink), refusal_(refusal) {}

  bool Read(const std::string& text) {
    std::string logical;
    int first = 0;
    int number = 0;
    std::size_t at = 0;
    while (at <= text.size()) {
      std::size_t end = text.find('\n', at);
      if (end == std::string::npos) end = text.size();
      std::string physical = text.substr(at, end - at);
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
      std::string content = Trim(physical.substr(0, cut));
      const bool continues = !content.empty() && content.back() == '\\';
      if (continues) content.pop_back();
      logical += content;
      if (continues && at <= text.size()) continue;
      if (!TakeLine(first, Trim(logical))) return false;
      logical.clear();
    }
    return true;
  }

 private:
  bool TakeLine(int number, const std::string& text) {
    if (text.empty()) return true;
    if (text[0] == '[') {
      const std::size_t close = text.find(']');
      if (close == std::string::npos)
        return Refuse(number, "a section name without its closing \"]\"");
      sink_.Section(LowerAscii(Trim(text.substr(1, close - 1))));
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

bool ReadInfLines(const std::string& text, InfLineSink& sink,
                  InfProblem* refusal) {
  return LineReader(sink, refusal).Read(text);
}

}  // namespace pomvarin::check
