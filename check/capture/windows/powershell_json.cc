// PowerShell's ConvertTo-Json of one device object or many (an array):
// lists as JSON arrays, "&" written \u0026 by Windows PowerShell, which
// also puts two blanks after each colon. Everything but the properties
// that tell a device and its machine is passed over, to a bounded depth:
// a capture nested deeper than ConvertTo-Json's own limit is no capture.
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "check/capture/capture_formats.h"
#include "check/capture/windows/powershell_object.h"
#include "check/input/file_text.h"

namespace pomvarin::check::capture {

namespace {

const char kFormat[] = "ConvertTo-Json";
// ConvertTo-Json -Depth takes at most 100.
constexpr int kMaxDepth = 100;

class JsonCapture {
 public:
  JsonCapture(std::string_view text, CaptureError* error)
      : text_(text), error_(error) {}

  CapturedMachines Take() { return machines_.Take(); }

  bool Read() {
    SkipBlanks();
    if (Peek() == '[') {
      ++at_;
      if (!Items([this] { return ReadObject(); })) return false;
    } else if (!ReadObject()) {
      return false;
    }
    SkipBlanks();
    if (at_ < text_.size())
      return Expected("the end after the top value", "more text");
    if (!machines_.AnyDevice())
      return Fail(line_,
                  "expected at least one PCI device (an instance ID "
                  "beginning PCI\\), found none",
                  error_);
    return true;
  }

 private:
  char Peek() const { return at_ < text_.size() ? text_[at_] : '\0'; }

  void SkipBlanks() {
    while (at_ < text_.size() &&
           (text_[at_] == ' ' || text_[at_] == '\t' || text_[at_] == '\r' ||
            text_[at_] == '\n'))
      line_ += text_[at_++] == '\n';
  }

  bool Expected(const std::string& what, const std::string& found) {
    return Fail(line_,
                "expected " + what + " (" + kFormat + "), found " + found,
                error_);
  }

  bool ExpectedHere(const std::string& what) {
    return Expected(what, at_ < text_.size()
                              ? QuotedExcerpt(text_.substr(at_, 20))
                              : "the end of the file");
  }

  // The items of an array whose "[" was read, each by item, up to its "]".
  template <typename Item>
  bool Items(Item item) {
    SkipBlanks();
    if (Peek() == ']') return ++at_, true;
    for (;;) {
      if (!item()) return false;
      SkipBlanks();
      if (Peek() == ']') return ++at_, true;
      if (Peek() != ',') return ExpectedHere("\",\" or \"]\"");
      ++at_;
      SkipBlanks();
    }
  }

  // A string, into value; passed over where value is null, so that a
  // huge one is never copied.
  bool String(std::string* value) {
    SkipBlanks();
    if (Peek() != '"') return ExpectedHere("a string");
    ++at_;
    std::string ignored;
    if (value == nullptr) value = &ignored;
    const bool keep = value != &ignored;
    value->clear();
    while (at_ < text_.size() && text_[at_] != '"') {
      const char c = text_[at_++];
      line_ += c == '\n';
      if (c != '\\') {
        if (keep) *value += c;
        continue;
      }
      const char escaped = Peek();
      ++at_;
      const char* simple = "\"\\/bfnrt";
      const char* meaning = "\"\\/\b\f\n\r\t";
      const std::string_view known(simple);
      if (known.find(escaped) != std::string_view::npos && escaped != '\0') {
        if (keep) *value += meaning[known.find(escaped)];
      } else if (escaped == 'u' && IsHexDigits(text_, at_, 4)) {
        std::uint32_t c16 = HexValue(text_.substr(at_, 4));
        at_ += 4;
        if (c16 >= 0xD800 && c16 < 0xDC00 && text_.substr(at_, 2) == "\\u" &&
            IsHexDigits(text_, at_ + 2, 4)) {
          const std::uint32_t low = HexValue(text_.substr(at_ + 2, 4));
          if (low >= 0xDC00 && low < 0xE000) {
            c16 = 0x10000 + ((c16 - 0xD800) << 10) + (low - 0xDC00);
            at_ += 6;
          }
        }
        if (keep) AppendUtf8(c16, value);
      } else {
        --at_;
        return ExpectedHere("an escape such as \\u0026 or \\\\");
      }
    }
    if (at_ == text_.size()) return ExpectedHere("the string's closing quote");
    ++at_;
    return true;
  }

  // Any value, passed over; depth counts the arrays and objects it is in.
  bool Skip(int depth) {
    SkipBlanks();
    const char c = Peek();
    if (c == '"') return String(nullptr);
    if (c == '[' || c == '{') {
      if (depth >= kMaxDepth)
        return ExpectedHere("values nested at most " +
                            std::to_string(kMaxDepth) + " deep");
      ++at_;
      if (c == '[') return Items([&] { return Skip(depth + 1); });
      return Members([&](const std::string&) { return Skip(depth + 1); });
    }
    const std::size_t from = at_;
    while (at_ < text_.size() &&
           std::string_view("+-.0123456789Eaeflnrstu").find(text_[at_]) !=
               std::string_view::npos)
      ++at_;
    return at_ > from || ExpectedHere("a value");
  }

  // The members of an object whose "{" was read, each value by member.
  template <typename Member>
  bool Members(Member member) {
    SkipBlanks();
    if (Peek() == '}') return ++at_, true;
    std::string key;
    for (;;) {
      if (!String(&key)) return false;
      SkipBlanks();
      if (Peek() != ':') return ExpectedHere("\":\" after a name");
      ++at_;
      if (!member(key)) return false;
      SkipBlanks();
      if (Peek() == '}') return ++at_, true;
      if (Peek() != ',') return ExpectedHere("\",\" or \"}\"");
      ++at_;
    }
  }

  bool IsNull() {
    SkipBlanks();
    if (text_.substr(at_, 4) != "null") return false;
    at_ += 4;
    return true;
  }

  // HardwareID: an array of strings, one string, or the array PowerShell
  // wraps as {"value": [...], "Count": n}.
  bool HardwareIds(PowerShellObject* object, int depth) {
    SkipBlanks();
    const int line = line_;
    std::vector<std::string> ids;
    std::string id;
    if (IsNull()) return true;
    if (Peek() == '{') {
      if (depth >= kMaxDepth) return Skip(depth);
      ++at_;
      return Members([&](const std::string& key) {
        return key == "value" ? HardwareIds(object, depth + 1)
                              : Skip(depth + 1);
      });
    }
    if (Peek() == '"') {
      if (!String(&id)) return false;
      if (id == "System.String[]") {
        object->SetHardwareIdsUnwritten();
        return true;
      }
      ids.push_back(id);
    } else if (Peek() == '[') {
      ++at_;
      if (!Items([&] {
            if (IsNull()) return true;
            if (!String(&id)) return false;
            ids.push_back(id);
            return true;
          }))
        return false;
    } else {
      return ExpectedHere("a list of hardware IDs after \"HardwareID\"");
    }
    object->SetHardwareIds(std::move(ids), false, line);
    return true;
  }

  bool ReadObject() {
    SkipBlanks();
    if (Peek() != '{') return ExpectedHere("an object, \"{\"");
    PowerShellObject object(line_);
    const int line = line_;
    ++at_;
    std::string value;
    if (!Members([&](const std::string& key) {
          const PowerShellProperty property = PowerShellPropertyOf(key);
          if (property == PowerShellProperty::kHardwareId)
            return HardwareIds(&object, 1);
          if (property == PowerShellProperty::kOther) return Skip(1);
          if (IsNull()) {
            object.SetText(property, "");
            return true;
          }
          if (!String(&value)) return false;
          object.SetText(property, value);
          return true;
        }))
      return false;
    if (!object.NamesDevice())
      return Fail(line,
                  std::string("expected an object with ") +
                      kPowerShellIdProperties + " (" + kFormat +
                      "), found one without any",
                  error_);
    return object.AddTo(&machines_, kFormat, error_);
  }

  std::string_view text_;
  std::size_t at_ = 0;
  int line_ = 1;
  PowerShellMachines machines_;
  CaptureError* error_;
};

}  // namespace

// "[" or "{" alone, as ConvertTo-Json begins, or an object's start run on
// (-Compress): a "[Category]" is no JSON.
bool LooksLikePowerShellJson(const LineCursor& first) {
  const std::string_view line = Trim(first.line());
  return line == "[" || line == "{" || line.substr(0, 2) == "[{" ||
         line.substr(0, 2) == "{\"";
}

bool ReadPowerShellJson(std::string_view text, CapturedMachines* machines,
                        CaptureError* error) {
  JsonCapture capture(text, error);
  if (!capture.Read()) return false;
  *machines = capture.Take();
  return true;
}

}  // namespace pomvarin::check::capture
