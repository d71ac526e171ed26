// The strings section an .inf's %key% tokens read, and their substitution.
#include "check/packages/inf_strings.h"

#include "check/packages/inf_lines.h"
#include "common/ascii.h"

namespace pomvarin::check {

namespace {

class StringsReader : public InfLineSink {
 public:
  StringsReader(const std::string& lowerName, InfStrings* strings)
      : lowerName_(lowerName), strings_(strings) {}

  void Section(const std::string& lowerName) override {
    inSection_ = lowerName == lowerName_;
  }

  void Line(InfLine line) override {
    if (inSection_)
      strings_->try_emplace(LowerAscii(line.key), std::move(line.values[0]));
  }

 private:
  const std::string lowerName_;
  InfStrings* strings_;
  bool inSection_ = false;
};

}  // namespace

void StringsSectionChoice::See(const std::string& lowerName) {
  const bool localised = lowerName.rfind("strings.", 0) == 0;
  localised_ = localised_ || localised;
  if (lowerName == "strings") {
    chosen_ = lowerName;
  } else if (localised && chosen_ != "strings" &&
             (chosen_.empty() || lowerName < chosen_)) {
    chosen_ = lowerName;
  }
}

InfStrings ReadInfStrings(std::string_view text,
                          const std::string& lowerName) {
  InfStrings strings;
  if (lowerName.empty()) return strings;
  // The text was read whole once before: this reading refuses no line.
  StringsReader reader(lowerName, &strings);
  InfProblem noRefusal;
  ReadInfLines(text, reader, &noRefusal);
  return strings;
}

std::string Substitute(const InfStrings& strings, const std::string& text,
                       int line, std::vector<InfProblem>* problems) {
  std::string out;
  for (std::size_t at = 0; at < text.size(); ++at) {
    const std::size_t close =
        text[at] == '%' ? text.find('%', at + 1) : std::string::npos;
    if (close == std::string::npos) {
      out += text[at];
      continue;
    }
    const std::string key = text.substr(at + 1, close - at - 1);
    at = close;
    if (key.empty()) {
      out += '%';
      continue;
    }
    const auto value = strings.find(LowerAscii(key));
    if (value != strings.end()) {
      out += value->second;
    } else {
      problems->push_back(
          InfProblem{line, "%" + key + "% is not defined in [Strings]"});
      out += "%" + key + "%";
    }
  }
  return out;
}

}  // namespace pomvarin::check
