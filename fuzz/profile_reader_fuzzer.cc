// The Linux reader of Pomvarin.ini over arbitrary bytes.
//
// Input: section NUL key NUL fallback NUL file bytes (the file may hold NUL
// bytes of its own).
//
// Besides the sanitizers' checks: the value is a terminated Text, reading is
// deterministic, a file without "=" gives the fallback, a value not the
// fallback is a piece of the file, a section and key put in front are found,
// a section of the name that ends hides the rest of the file, and the answer
// survives changes that the reading rules say do not matter (name case, LF,
// CRLF or CR line ends, a leading comment or byte-order mark, anything after
// a found value).

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz/fuzz_input.h"
#include "platform/posix/profile_reader.h"

namespace pomvarin::fuzz {
namespace {

const char kByteOrderMark[] = "\xEF\xBB\xBF";

// One read into a Text whose bytes all start as fill; returns the value.
std::string Read(const std::string& file, const std::string& section,
                 const std::string& key, const std::string& fallback,
                 unsigned char fill) {
  auto data = ExactCopy(file);
  auto sectionText = ExactString(section);
  auto keyText = ExactString(key);
  auto fallbackText = ExactString(fallback);
  auto value = std::make_unique<GuardedText>();
  std::memset(value->text, fill, kTextSize);
  // The platform's own caller hands over no data at all for a missing file.
  platform::posix::FindProfileValue(file.empty() ? nullptr : data.get(),
                                    file.size(), sectionText.get(),
                                    keyText.get(), fallbackText.get(),
                                    value->text);
  Require(IsTerminated(value->text), "the value is terminated within 260 bytes");
  return value->text;
}

// The fallback as the reader hands it back: trailing blanks dropped, cut to
// 259 characters.
std::string ExpectedFallback(std::string fallback) {
  while (!fallback.empty() && fallback.back() == ' ') fallback.pop_back();
  if (fallback.size() > kTextSize - 1) fallback.resize(kTextSize - 1);
  return fallback;
}

// Whether a key line starting with text would be a comment line.
bool StartsAsComment(const std::string& text) {
  const std::size_t first = text.find_first_not_of(" \t\r\n\v\f\x1A");
  return first != std::string::npos && text[first] == ';';
}

std::string SwapAsciiCase(std::string text) {
  for (char& c : text) {
    const char lower = LowerAscii(c);
    c = lower == c ? UpperAscii(c) : lower;
  }
  return text;
}

// Every line end of the file (LF, CRLF or a lone CR) written as lineEnd.
std::string WithLineEnds(const std::string& file, const char* lineEnd) {
  std::string result;
  for (std::size_t i = 0; i < file.size(); ++i) {
    if (file[i] == '\r' && i + 1 < file.size() && file[i + 1] == '\n') ++i;
    if (file[i] == '\r' || file[i] == '\n') result += lineEnd;
    else result += file[i];
  }
  return result;
}

}  // namespace
}  // namespace pomvarin::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  using namespace pomvarin::fuzz;
  const auto pieces = SplitAtNul(data, size, 4);
  const std::string& section = pieces[0];
  const std::string& key = pieces[1];
  const std::string& fallback = pieces[2];
  const std::string& file = pieces[3];

  const std::string value = Read(file, section, key, fallback, 0xAA);
  Require(value.size() <= pomvarin::kTextSize - 1, "the value is cut to 259");
  Require(Read(file, section, key, fallback, 0x55) == value,
          "reading twice gives the same value");

  const std::string fallbackValue = ExpectedFallback(fallback);
  const bool fromFile = value != fallbackValue;
  if (file.find('=') == std::string::npos)
    Require(!fromFile, "a file without \"=\" gives the fallback");
  if (fromFile) {
    Require(file.find(value) != std::string::npos,
            "a value not the fallback is a piece of the file");
    Require(Read(file + "\n[" + section + "]\n" + key + "=other\n", section,
                 key, fallback, 0) == value,
            "what follows a found value does not change it");
  }

  // Names that a line can hold as they are.
  if (section.find_first_of("\r\n]") == std::string::npos) {
    const std::string header = "[" + section + "]\n";
    Require(Read(header + "[" + section + "_]\n" + file, section, key, fallback,
                 0) == fallbackValue,
            "only the first section of the name is searched");
    if (key.find_first_of("\r\n=]") == std::string::npos &&
        !StartsAsComment(key)) {
      Require(Read(header + key + "=first\n" + file, section, key, fallback,
                   0) == "first",
              "the first key of the name in the section wins");
    }
  }

  Require(Read(file, SwapAsciiCase(section), SwapAsciiCase(key), fallback,
               0) == value,
          "section and key names compare without case");
  for (const char* lineEnd : {"\n", "\r\n", "\r"}) {
    Require(Read(WithLineEnds(file, lineEnd), section, key, fallback, 0) ==
                value,
            "LF, CRLF and CR line ends read alike");
  }
  if (file.compare(0, 3, kByteOrderMark) != 0) {
    Require(Read(kByteOrderMark + file, section, key, fallback, 0) == value,
            "a leading byte-order mark does not count");
    Require(Read(";comment=x\n" + file, section, key, fallback, 0) == value,
            "a leading comment line does not count");
  }
  return 0;
}
