// The split of a setup command into file name and parameters.
//
// Input: the command; it ends at its first NUL byte, as a read value does.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz/fuzz_input.h"
#include "setup/launch_spec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  using namespace pomvarin::fuzz;
  const std::string input(reinterpret_cast<const char*>(data), size);
  auto spec = ExactString(input);
  const std::string text = spec.get();  // up to the first NUL

  const pomvarin::LaunchSpecParts parts = pomvarin::SplitLaunchSpec(spec.get());
  Require(parts.fileName == spec.get(), "the file name starts the command");
  Require(parts.fileNameLength <= text.size(),
          "the file name lies within the command");
  const std::string fileName(parts.fileName, parts.fileNameLength);
  const std::string parameters = parts.parameters;
  Require(fileName.find(' ') == std::string::npos,
          "the file name holds no blank");
  Require(parameters.empty() || parameters[0] == ' ',
          "the parameters are empty or start with the blank");
  Require(fileName + parameters == text,
          "file name and parameters give back the command");
  if (!parameters.empty())
    Require(parts.parameters == spec.get() + parts.fileNameLength,
            "the parameters point into the command");
  return 0;
}
