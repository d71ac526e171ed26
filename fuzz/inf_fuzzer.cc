// Driver packages as pomvarin-check reads them: .inf files of a disc, made
// by whoever made the disc and so outside bytes.
//
// Input: the .inf file; its first byte, when odd, asks for a target.

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>

#include "check/packages/inf.h"
#include "common/ascii.h"
#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  using namespace pomvarin::check;
  using pomvarin::fuzz::Require;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  InfTarget target;
  const bool targeted = size > 0 && (data[0] & 1) &&
                        ParseInfTarget("NTamd64.10.0", &target);
  const InfPackage package = ReadInf(bytes, targeted ? &target : nullptr);
  for (const InfProblem& problem : package.problems)
    Require(problem.line >= 1 && !problem.message.empty(),
            "a problem names its line and what it is");
  Require(package.parsed || !package.problems.empty(),
          "a refused file says why");
  Require(package.parsed || package.ids.empty(), "a refused file lists no ID");
  for (const std::string& id : package.ids) {
    Require(id.size() > 4 && id.compare(0, 4, "PCI\\") == 0,
            "only PCI IDs are collected");
    Require(pomvarin::UpperAscii(id) == id, "IDs are in upper case");
  }
  const std::set<std::string> distinct(package.ids.begin(), package.ids.end());
  Require(distinct.size() == package.ids.size(), "each ID is listed once");
  return 0;
}
