// msinfo32 /nfo: XML, <MsInfo> and its <Category name="..."> elements
// (names in the system's language), whose <Data> rows hold the devices'
// instance IDs as text or CDATA. Read as plain XML by the shape of its
// text: no document type is read and no entity but XML's own is undone, so
// nothing outside the file is ever followed.
#include <algorithm>
#include <string>
#include <vector>

#include "check/capture/capture_formats.h"
#include "check/capture/windows/windows_devices.h"

namespace pomvarin::check::capture {

namespace {

const char kNfo[] = "msinfo32 /nfo";

// Deeper than msinfo32 ever nests (about 6), far below any stack's limit.
const std::size_t kMostDepth = 64;

// The text of an .nfo walked from one markup to the next, counting lines.
class XmlWalk {
 public:
  explicit XmlWalk(std::string_view text) : text_(text) {}

  bool AtEnd() const { return at_ == text_.size(); }
  int line() const { return line_; }
  bool StartsWith(std::string_view part) const {
    return text_.substr(at_, part.size()) == part;
  }
  // The text from here up to what (left out), and past what; false when
  // what never comes.
  bool TakeUntil(std::string_view what, std::string_view* taken) {
    const std::size_t end = text_.find(what, at_);
    if (end == std::string_view::npos) return false;
    *taken = text_.substr(at_, end - at_);
    Move(end + what.size());
    return true;
  }
  // The text up to the next "<", or the end.
  std::string_view TakeText() {
    const std::size_t end = std::min(text_.find('<', at_), text_.size());
    const std::string_view taken = text_.substr(at_, end - at_);
    Move(end);
    return taken;
  }

 private:
  void Move(std::size_t to) {
    for (; at_ < to; ++at_) line_ += text_[at_] == '\n';
  }

  std::string_view text_;
  std::size_t at_ = 0;
  int line_ = 1;
};

// The text without XML's white space at either end; a text node spans
// lines, unlike the lines the other readers trim.
std::string_view TrimSpace(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// An element's name from the inside of its tag, "<" and ">" left out.
std::string_view TagName(std::string_view tag) {
  std::size_t end = 0;
  while (end < tag.size() && !IsBlank(tag[end]) && tag[end] != '/' &&
         tag[end] != '\n')
    ++end;
  return tag.substr(0, end);
}

// Whether text holds an "&" that starts none of XML's own references: the
// five named ones and characters by number.
bool HasOtherReference(std::string_view text) {
  for (std::size_t at = text.find('&'); at != std::string_view::npos;
       at = text.find('&', at + 1)) {
    const std::string_view reference = text.substr(at + 1, 9);
    const std::size_t end = reference.find(';');
    if (end == std::string_view::npos) return true;
    const std::string_view name = reference.substr(0, end);
    if (name != "amp" && name != "lt" && name != "gt" && name != "quot" &&
        name != "apos" && (name.size() < 2 || name[0] != '#'))
      return true;
  }
  return false;
}

}  // namespace

// <MsInfo>, or its document type, at the start or below the declaration.
bool LooksLikeMsinfo32Nfo(const LineCursor& first) {
  const auto startsReport = [](std::string_view line) {
    const std::string_view doctype = "<!DOCTYPE MsInfo";
    return line.substr(0, 7) == "<MsInfo" ||
           line.substr(0, doctype.size()) == doctype;
  };
  const std::string_view line = Trim(first.line());
  if (startsReport(line)) return true;
  if (line.substr(0, 5) != "<?xml") return false;
  const std::size_t declared = line.find("?>");
  if (declared != std::string_view::npos &&
      startsReport(Trim(line.substr(declared + 2))))
    return true;
  LineCursor next = first;
  while (next.Next())
    if (!Trim(next.line()).empty()) return startsReport(Trim(next.line()));
  return false;
}

bool ReadMsinfo32Nfo(std::string_view text, Devices* devices,
                     CaptureError* error) {
  PciDevices found;
  std::vector<std::string_view> open;  // the elements inside one another
  bool rootSeen = false;
  XmlWalk walk(text);
  auto fail = [&](int line, const std::string& expected) {
    return Fail(line, "expected " + expected + " (" + kNfo + ")", error);
  };
  while (!walk.AtEnd()) {
    const int line = walk.line();
    std::string_view part;
    if (walk.StartsWith("<![CDATA[")) {
      walk.TakeUntil("<![CDATA[", &part);
      if (!walk.TakeUntil("]]>", &part)) return fail(line, "\"]]>\" after CDATA");
      found.Add(TrimSpace(part), {}, kOnlyInstanceId);
    } else if (walk.StartsWith("<!--")) {
      if (!walk.TakeUntil("-->", &part)) return fail(line, "\"-->\" after a comment");
    } else if (walk.StartsWith("<!")) {
      return fail(line, "elements, text and CDATA, found a document type or "
                        "declaration: no DTD or entity is read");
    } else if (walk.StartsWith("<?")) {
      if (!walk.TakeUntil("?>", &part)) return fail(line, "\"?>\"");
    } else if (walk.StartsWith("<")) {
      if (!walk.TakeUntil(">", &part)) return fail(line, "\">\" closing a tag");
      part.remove_prefix(1);
      const bool closing = !part.empty() && part[0] == '/';
      const std::string_view name = TagName(closing ? part.substr(1) : part);
      if (name.empty()) return fail(line, "an element's name after \"<\"");
      if (closing) {
        if (open.empty() || open.back() != name)
          return fail(line, "</" + std::string(open.empty() ? "" : open.back()) +
                                ">, found </" + std::string(name) + ">");
        open.pop_back();
      } else if (part.back() != '/') {
        if (open.empty() && (rootSeen || name != "MsInfo"))
          return fail(line, "one <MsInfo> element holding the report");
        if (open.size() == kMostDepth)
          return fail(line, "elements at most " + std::to_string(kMostDepth) +
                                " deep");
        rootSeen = true;
        open.push_back(name);
      }
    } else {
      const std::string_view value = TrimSpace(walk.TakeText());
      if (value.empty()) continue;
      if (open.empty()) return fail(line, "markup only outside <MsInfo>");
      if (HasOtherReference(value))
        return fail(line, "only XML's own escapes such as &amp;, found " +
                              QuotedExcerpt(value));
      found.Add(WithoutXmlEscapes(value), {}, kOnlyInstanceId);
    }
  }
  if (!rootSeen || !open.empty())
    return fail(walk.line(), "</" + std::string(open.empty() ? "MsInfo" : open.back()) +
                                 "> before the end of the file");
  if (found.empty())
    return fail(walk.line(), "at least one PCI device, an instance ID "
                             "beginning PCI\\, found none");
  *devices = found.Take();
  return true;
}

}  // namespace pomvarin::check::capture
