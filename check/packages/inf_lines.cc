// An .inf's text split into lines and fields by Windows's rules.
#include "check/packages/inf_lines.h"

#include <string_view>

#include "common/ascii.h"

namespace pomvarin::check {

namespace {

// What Windows reads as blank; a NUL byte too, kept as a space inside.
bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f' ||
         c == '\0';
}

char Kept(char c) { return c == '\0' ? ' ' : c; }

// The longest section name Windows takes, in characters.
constexpr std::size_t kMaxSectionName = 255;

std::size_t CharacterCount(std::string_view utf8) {
  std::size_t count = 0;
  for (char c : utf8) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return count;
}

class LineReader {
 public:
  LineReader(std::string_view text, InfLineSink& sink, InfProblem* refusal)
      : text_(text.substr(0, text.find('\x1A'))),  // ^Z ends the file
        sink_(sink),
        refusal_(refusal) {}

  bool Read() {
    while (at_ < text_.size()) {
      const char c = text_[at_];
      if (c == '\n') {
        ++at_;
        ++line_;
      } else if (IsBlank(c)) {
        ++at_;
      } else if (c == ';') {
        SkipToLineEnd();
      } else if (c == '[') {
        if (!ReadHeading()) return false;
      } else {
        ReadEntry();
      }
    }
    return KeepOrRefuseStrayLines();
  }

 private:
  void SkipToLineEnd() {
    const std::size_t end = text_.find('\n', at_);
    at_ = end == std::string_view::npos ? text_.size() : end;
  }

  // The name runs to the first "]" on its line, blanks and all; the rest of
  // the line is not read.
  bool ReadHeading() {
    const std::size_t close = text_.find_first_of("]\n", at_);
    if (close == std::string_view::npos || text_[close] != ']')
      return Refuse(line_, "a section name without its closing \"]\"");
    std::string name(text_.substr(at_ + 1, close - at_ - 1));
    for (char& c : name) c = Kept(c);
    if (CharacterCount(name) > kMaxSectionName)
      return Refuse(line_, "a section name longer than 255 characters");
    name = LowerAscii(name);
    hasStrings_ = hasStrings_ || name == "strings";
    inSection_ = true;
    sink_.Section(name);
    at_ = close + 1;
    SkipToLineEnd();
    return true;
  }

  // After a "\" outside quotes: true, past the line end, when only blanks,
  // more "\" or a comment follow it on its line; the next line goes on.
  bool Continues() {
    std::size_t next = at_;
    while (next < text_.size() && (text_[next] == '\\' || IsBlank(text_[next])))
      ++next;
    if (next < text_.size() && text_[next] == ';') {
      next = text_.find('\n', next);
      if (next == std::string_view::npos) next = text_.size();
    }
    if (next < text_.size() && text_[next] != '\n') return false;
    at_ = next < text_.size() ? next + 1 : next;
    line_ += next < text_.size();
    return true;
  }

  // Where a line ends for a quote left open: at LF, or at the CR of CR LF.
  bool AtQuoteEnd() const {
    return at_ == text_.size() || text_[at_] == '\n' ||
           (text_[at_] == '\r' &&
            (at_ + 1 == text_.size() || text_[at_ + 1] == '\n'));
  }

  // Quoted text up to its closing quote or the line's end; "" is a quote.
  void ReadQuoted(std::string* field) {
    for (++at_; !AtQuoteEnd(); ++at_) {
      if (text_[at_] != '"') {
        *field += Kept(text_[at_]);
      } else if (at_ + 1 < text_.size() && text_[at_ + 1] == '"') {
        *field += '"';
        ++at_;
      } else {
        ++at_;
        return;
      }
    }
  }

  void ReadEntry() {
    InfLine line{line_, "", {}};
    std::string field, blanks;  // blanks: not yet known to be inside
    bool keyed = false, keyAllowed = true, skipBlanks = true;
    while (at_ < text_.size() && text_[at_] != '\n') {
      const char c = text_[at_];
      if (c == ';') {
        SkipToLineEnd();
      } else if (c == ',' || (c == '=' && keyAllowed)) {
        if (c == '=') {
          line.key = field;
          keyed = true;
        } else {
          line.values.push_back(field);
        }
        field.clear();
        blanks.clear();
        keyAllowed = false;
        skipBlanks = true;
        ++at_;
      } else if (c == '\\' && Continues()) {
        blanks.clear();
        skipBlanks = true;
      } else if (IsBlank(c)) {
        if (!skipBlanks) blanks += Kept(c);
        ++at_;
      } else {
        field += blanks;
        blanks.clear();
        skipBlanks = false;
        if (c == '"') {
          ReadQuoted(&field);
        } else {
          field += c;
          ++at_;
        }
      }
    }
    line.values.push_back(field);
    if (!keyed && line.values.size() == 1) line.key = line.values[0];
    if (!inSection_) {
      if (!strayLine_) strayLine_ = line.number;
      return;
    }
    sink_.Line(std::move(line));
  }

  // Lines before the first section: Windows refuses them unless the file
  // has a [Strings] section, and then passes over them.
  bool KeepOrRefuseStrayLines() {
    if (!strayLine_ || hasStrings_) return true;
    *refusal_ = InfProblem{strayLine_, "a line before the first section, "
                                       "in a file without [Strings]"};
    return false;
  }

  // A stray line comes first: Windows stops at it.
  bool Refuse(int line, const std::string& message) {
    if (strayLine_ && !hasStrings_) return KeepOrRefuseStrayLines();
    *refusal_ = InfProblem{line, message};
    return false;
  }

  const std::string_view text_;
  InfLineSink& sink_;
  InfProblem* refusal_;
  std::size_t at_ = 0;
  int line_ = 1;
  bool inSection_ = false;
  bool hasStrings_ = false;
  int strayLine_ = 0;  // the first line before any section, 0: none
};

}  // namespace

bool ReadInfLines(std::string_view text, InfLineSink& sink,
                  InfProblem* refusal) {
  return LineReader(text, sink, refusal).Read();
}

}  // namespace pomvarin::check
