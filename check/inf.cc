#include "check/inf.h"

#include <map>
#include <set>
#include <string_view>

#include "check/file_text.h"
#include "check/inf_target.h"
#include "common/ascii.h"

namespace pomvarin::check {

namespace {

struct Line {
  int number;
  std::string key;                  // empty for a line without "="
  std::vector<std::string> values;  // quotes removed, not yet substituted
};

struct Section {
  std::string name;  // as first written
  std::vector<Line> lines;
};

using Sections = std::map<std::string, Section>;  // by lower-case name

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

class Reader {
 public:
  Reader(InfPackage* package) : package_(package) {}

  // Reads the lines into sections; false at a line Windows refuses.
  bool Read(std::string_view text) {
    std::string logical;
    int first = 0;
    int number = 0;
    std::size_t at = 0;
    while (at <= text.size()) {
      std::size_t end = text.find('\n', at);
      if (end == std::string_view::npos) end = text.size();
      const std::string physical(text.substr(at, end - at));
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

  const Sections& sections() const { return sections_; }

 private:
  bool TakeLine(int number, const std::string& text) {
    if (text.empty()) return true;
    if (text[0] == '[') {
      const std::size_t close = text.find(']');
      if (close == std::string::npos) {
        Problem(number, "a section name without its closing \"]\"");
        return false;
      }
      const std::string name = Trim(text.substr(1, close - 1));
      current_ = &sections_[LowerAscii(name)];
      if (current_->name.empty()) current_->name = name;
      return true;
    }
    Line line{number, "", {}};
    if (!SplitFields(text, &line.key, &line.values)) {
      Problem(number, "a quoted string without its closing quote");
      return false;
    }
    if (!current_) {
      Problem(number, "a line before the first section");
      return false;
    }
    current_->lines.push_back(line);
    return true;
  }

  void Problem(int line, const std::string& message) {
    package_->problems.push_back(InfProblem{line, message});
  }

  InfPackage* package_;
  Sections sections_;
  Section* current_ = nullptr;
};

class Substituter {
 public:
  Substituter(const Sections& sections, InfPackage* package)
      : package_(package) {
    // [Strings] first; a file with only localised ones uses the first.
    for (const auto& [name, section] : sections) {
      if (name == "strings" || (name.rfind("strings.", 0) == 0 && !strings_))
        strings_ = &section;
      if (name == "strings") break;
    }
  }

  // %key% tokens replaced by their [Strings] value, "%%" by "%".
  std::string operator()(const std::string& text, int line) {
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
      } else if (const std::string* value = Find(key)) {
        out += *value;
      } else {
        package_->problems.push_back(
            InfProblem{line, "%" + key + "% is not defined in [Strings]"});
        out += "%" + key + "%";
      }
    }
    return out;
  }

 private:
  const std::string* Find(const std::string& key) const {
    if (!strings_) return nullptr;
    const std::string lower = LowerAscii(key);
    for (const Line& line : strings_->lines) {
      if (LowerAscii(line.key) == lower && !line.values.empty())
        return &line.values[0];
    }
    return nullptr;
  }

  const Section* strings_ = nullptr;
  InfPackage* package_;
};

bool IsPciId(const std::string& id) {
  return id.size() > 4 && LowerAscii(id.substr(0, 4)) == "pci\\";
}

}  // namespace

InfPackage ReadInf(const std::string& bytes, const InfTarget* target) {
  InfPackage package;
  // Windows reads UTF-16 .inf files in little-endian order only.
  std::string decoded, fault;
  std::string_view text;
  int faultLine = 0;
  if (!DecodeFileText(bytes, Utf16Orders::kLittleEndian, &decoded, &text,
                      &faultLine, &fault)) {
    package.problems.push_back(InfProblem{faultLine, fault});
    package.parsed = false;
    return package;
  }
  const std::size_t nul = text.find('\0');
  if (nul != std::string_view::npos) {
    int line = 1;
    for (std::size_t i = 0; i < nul; ++i) line += text[i] == '\n';
    package.problems.push_back(InfProblem{
        line, "a NUL byte: not an ANSI or UTF-16 LE (with byte-order mark) "
              "text"});
    package.parsed = false;
    return package;
  }
  Reader reader(&package);
  if (!reader.Read(text)) {
    package.parsed = false;
    return package;
  }
  const Sections& sections = reader.sections();
  Substituter substitute(sections, &package);
  std::set<std::string> seen;
  const auto manufacturer = sections.find("manufacturer");
  if (manufacturer == sections.end()) return package;
  for (const Line& line : manufacturer->second.lines) {
    if (line.values.empty() || line.values[0].empty()) continue;
    const std::string models = substitute(line.values[0], line.number);
    // The sections this manufacturer line makes Windows read.
    std::vector<std::string> names;
    const InfTarget* best = nullptr;
    std::vector<InfTarget> decorations(line.values.size());
    for (std::size_t i = 1; i < line.values.size(); ++i) {
      const std::string decoration = substitute(line.values[i], line.number);
      if (!ParseInfTarget(decoration, &decorations[i])) {
        package.problems.push_back(InfProblem{
            line.number, "\"" + decoration + "\" is no decoration such as "
                         "NTamd64 or NTx86.6.1"});
        continue;
      }
      if (!target) {
        names.push_back(models + "." + decoration);
      } else if (Suits(decorations[i], *target) &&
                 (!best || MoreSpecific(decorations[i], *best))) {
        best = &decorations[i];
        names.assign(1, models + "." + decoration);
      }
    }
    // The undecorated section serves where no decoration suits, but never
    // a 64-bit system, which needs a decorated one.
    const bool undecorated =
        !target || (!best && (target->architecture.empty() ||
                              target->architecture == "x86"));
    if (undecorated) names.insert(names.begin(), models);
    for (std::size_t i = 0; i < names.size(); ++i) {
      const auto section = sections.find(LowerAscii(names[i]));
      if (section == sections.end()) {
        // Beside decorated ones the undecorated section may well be absent.
        const bool optional = undecorated && i == 0 && line.values.size() > 1;
        if (!optional)
          package.problems.push_back(InfProblem{
              line.number, "[" + names[i] + "] is named but not there"});
        continue;
      }
      for (const Line& entry : section->second.lines) {
        for (std::size_t v = 1; v < entry.values.size(); ++v) {
          const std::string id =
              UpperAscii(substitute(entry.values[v], entry.number));
          if (IsPciId(id) && seen.insert(id).second) package.ids.push_back(id);
        }
      }
    }
  }
  return package;
}

}  // namespace pomvarin::check
