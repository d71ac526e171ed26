#include "check/inf_target.h"

#include <vector>

#include "common/ascii.h"

namespace pomvarin::check {

namespace {

const char* const kArchitectures[] = {"x86", "amd64", "ia64", "arm", "arm64"};

bool ParseNumber(const std::string& text, int* value) {
  if (text.empty()) return true;  // not given
  if (text.size() > 9) return false;
  *value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    *value = *value * 10 + (c - '0');
  }
  return true;
}

}  // namespace

bool Suits(const InfTarget& decoration, const InfTarget& target) {
  if (!decoration.architecture.empty() && !target.architecture.empty() &&
      decoration.architecture != target.architecture)
    return false;
  if (decoration.major >= 0 && target.major >= 0) {
    const int minor = decoration.minor < 0 ? 0 : decoration.minor;
    const int targetMinor = target.minor < 0 ? 0 : target.minor;
    if (decoration.major != target.major)
      return decoration.major < target.major;
    if (minor != targetMinor) return minor < targetMinor;
  }
  return decoration.build < 0 || target.build < 0 ||
         decoration.build <= target.build;
}

bool MoreSpecific(const InfTarget& a, const InfTarget& b) {
  if (a.architecture.empty() != b.architecture.empty())
    return !a.architecture.empty();
  if (a.major != b.major) return a.major > b.major;
  if (a.minor != b.minor) return a.minor > b.minor;
  return a.build > b.build;
}

bool ParseInfTarget(const std::string& decoration, InfTarget* target) {
  const std::string lower = LowerAscii(decoration);
  if (lower.compare(0, 2, "nt") != 0) return false;
  std::vector<std::string> parts(1);
  for (std::size_t i = 2; i < lower.size(); ++i) {
    if (lower[i] == '.') parts.emplace_back();
    else parts.back() += lower[i];
  }
  InfTarget read;
  read.architecture = parts[0];
  bool known = read.architecture.empty();
  for (const char* architecture : kArchitectures)
    known = known || read.architecture == architecture;
  if (!known || parts.size() > 6) return false;
  int ignored = -1;
  int* const fields[] = {&read.major, &read.minor, &ignored, &ignored,
                         &read.build};
  for (std::size_t i = 1; i < parts.size(); ++i) {
    // Product type and suite mask are hex ("0x..."): not compared.
    if (i == 3 || i == 4) continue;
    if (!ParseNumber(parts[i], fields[i - 1])) return false;
  }
  *target = read;
  return true;
}

}  // namespace pomvarin::check
