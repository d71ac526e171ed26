// VendorCount as read from Pomvarin.ini, against the C library's reading of
// the same text.
//
// Input: the text; it ends at its first NUL byte, as a read value does.

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_input.h"
#include "launcher/configuration.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  using namespace pomvarin::fuzz;
  const std::string text(reinterpret_cast<const char*>(data), size);
  auto copy = ExactString(text);
  Require(pomvarin::ParseVendorCount(copy.get()) ==
              ReferenceVendorCount(copy.get()),
          "VendorCount reads as strtoll clamped to 32 bits");
  return 0;
}
