// The text helpers the setup search and the device test build on: joining
// within the 260-byte limit, the name comparison, the substring test on a
// device property.
//
// Input: first NUL second NUL rest (the rest may hold NUL bytes).
//   JoinPath(first, second);
//   EqualIgnoringAsciiCase of second against prefixes of rest and of first
//   against second; FirstStringContains(rest, second).

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "common/text.h"
#include "fuzz/fuzz_input.h"

namespace pomvarin::fuzz {
namespace {

constexpr std::size_t kLongest = kTextSize - 1;

void CheckJoinPath(const std::string& folder, const std::string& name) {
  auto folderText = ExactString(folder);
  auto nameText = ExactString(name);
  auto path = std::make_unique<GuardedText>();
  std::memset(path->text, 'Z', kTextSize);
  const bool joined = JoinPath(path->text, folderText.get(), nameText.get());
  const bool fits = folder.size() + 1 + name.size() <= kLongest;
  Require(joined == fits, "JoinPath fails exactly when the path does not fit");
  if (joined) {
    Require(IsTerminated(path->text), "a joined path is terminated");
    Require(path->text == folder + "\\" + name,
            "a joined path is folder, backslash, name");
  }
}

// b holds at least length bytes and need not be terminated.
void CheckEqual(const std::string& a, const std::string& b,
                std::size_t length) {
  const std::string prefix = b.substr(0, length);
  auto aText = ExactString(a);
  auto bBytes = ExactCopy(prefix);
  const bool expected = LowerAsciiText(a) == LowerAsciiText(prefix);
  Require(EqualIgnoringAsciiCase(aText.get(), bBytes.get(), length) == expected,
          "names compare as their ASCII lower-case forms");
}

void CheckFirstStringContains(const std::string& data,
                              const std::string& text) {
  auto bytes = ExactCopy(data);
  auto textCopy = ExactString(text);
  const std::string first = data.substr(0, data.find('\0'));
  const bool expected = first.find(text) != std::string::npos;
  Require(FirstStringContains(reinterpret_cast<const unsigned char*>(bytes.get()),
                              data.size(), textCopy.get()) == expected,
          "the substring test looks in the first string only");
}

}  // namespace
}  // namespace pomvarin::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  using namespace pomvarin::fuzz;
  const auto pieces = SplitAtNul(data, size, 3);
  const std::string& first = pieces[0];
  const std::string& second = pieces[1];
  const std::string& rest = pieces[2];

  CheckJoinPath(first, second);

  CheckEqual(second, rest, rest.size());
  CheckEqual(second, rest, std::min(second.size(), rest.size()));
  CheckEqual(second, rest, rest.size() / 2);
  CheckEqual(first, second, second.size());

  CheckFirstStringContains(rest, second);
  return 0;
}
