// The unit tests' profile reader: the exact values of fake::State::profile,
// from the configuration path only, each read recorded.
#include "tests/fake_platform.h"

#include <cstring>

namespace pomvarin::platform {

namespace {

void CopyCut(Text& destination, const std::string& source) {
  const std::size_t length =
      source.size() < kTextSize - 1 ? source.size() : kTextSize - 1;
  std::memcpy(destination, source.data(), length);
  destination[length] = '\0';
}

}  // namespace

void ReadProfileString(const char* section, const char* key,
                       const char* fallback, Text& value, const char* path) {
  fake::State& state = fake::Current();
  state.profileReads.push_back({section, key, path});
  CopyCut(value, fallback);
  if (path != state.configurationPath) return;
  const auto sectionIt = state.profile.find(section);
  if (sectionIt == state.profile.end()) return;
  const auto keyIt = sectionIt->second.find(key);
  if (keyIt == sectionIt->second.end()) return;
  CopyCut(value, keyIt->second);
}

}  // namespace pomvarin::platform
