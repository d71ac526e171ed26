// The two case passes over an ID of arbitrary bytes.
//
// Input: one byte choosing how many bytes the passes cover (255: all of
// them), then the ID. The ID sits in a heap block of exactly its size.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz/fuzz_input.h"
#include "launcher/launcher.h"

namespace pomvarin::fuzz {
namespace {

// The pass covering length bytes of before gave after.
void CheckPass(const std::string& before, const std::string& after,
               std::size_t length, bool upper) {
  for (std::size_t i = 0; i < before.size(); ++i) {
    if (i >= length) {
      Require(after[i] == before[i], "bytes past the length are untouched");
    } else if (!IsAsciiLetter(before[i])) {
      Require(after[i] == before[i], "a byte not an ASCII letter is kept");
    } else {
      Require(LowerAscii(after[i]) == LowerAscii(before[i]),
              "a letter stays the same letter");
      if (upper) {
        Require(!(after[i] >= 'a' && after[i] <= 'z'),
                "no lower-case letter after the upper pass");
      } else if (i == 0) {
        Require(after[i] == before[i], "the lower pass keeps the first byte");
      } else {
        Require(!(after[i] >= 'A' && after[i] <= 'Z'),
                "no upper-case letter past the first after the lower pass");
      }
    }
  }
}

std::string Pass(const std::string& id, std::size_t length, bool upper) {
  auto block = ExactCopy(id);
  if (upper) {
    UpperCasePass(block.get(), length);
  } else {
    LowerCasePass(block.get(), length);
  }
  return std::string(block.get(), id.size());
}

}  // namespace
}  // namespace pomvarin::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  using namespace pomvarin::fuzz;
  if (size == 0) return 0;
  const std::string id(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::size_t length =
      data[0] == 0xFF ? id.size() : std::min<std::size_t>(data[0], id.size());

  const std::string upper = Pass(id, length, true);
  CheckPass(id, upper, length, true);
  const std::string lower = Pass(upper, length, false);
  CheckPass(upper, lower, length, false);

  Require(Pass(upper, length, true) == upper, "the upper pass is idempotent");
  Require(Pass(lower, length, false) == lower, "the lower pass is idempotent");
  Require(Pass(lower, length, true) == upper,
          "the upper pass undoes the lower pass");
  Require(Pass(id, length, false) == Pass(Pass(id, length, false), length, false),
          "the lower pass on the raw ID is idempotent");
  return 0;
}
