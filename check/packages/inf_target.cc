// Decorations such as NTamd64.10.0, and the models section Windows picks.
#include "check/packages/inf_target.h"

#include <climits>
#include <tuple>

#include "common/ascii.h"

namespace pomvarin::check {

namespace {

const char* const kArchitectures[] = {"x86", "amd64", "ia64", "arm", "arm64"};

// Decimal, or hex after "0x"; an empty field is left out and keeps -1.
bool ParseNumber(const std::string& text, long long* value) {
  if (text.empty()) return true;
  const bool hex = text.size() > 2 && text.compare(0, 2, "0x") == 0;
  const std::string digits = hex ? text.substr(2) : text;
  if (digits.size() > 8) return false;
  *value = 0;
  for (char c : digits) {
    int digit = c >= '0' && c <= '9' ? c - '0' : -1;
    if (hex && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    if (digit < 0) return false;
    *value = *value * (hex ? 16 : 10) + digit;
  }
  return true;
}

const std::string& Architecture(const InfTarget& system) {
  static const std::string x86 = "x86";
  return system.architecture.empty() ? x86 : system.architecture;
}

// Left out: 0 in a decoration, the newest in a target. Windows compares
// the build only between equal versions, as a tuple compares.
std::tuple<int, int, int> Version(const InfTarget& system, bool target) {
  const int none = target ? INT_MAX : 0;
  return {system.major < 0 ? none : system.major,
          system.minor < 0 ? none : system.minor,
          system.build < 0 ? none : system.build};
}

bool Applies(const InfTarget& decoration, const InfTarget& target) {
  const int productType = target.productType < 0 ? 1 : target.productType;
  return Architecture(decoration) == Architecture(target) &&
         Version(decoration, false) <= Version(target, true) &&
         (decoration.productType < 0 ||
          decoration.productType == productType) &&
         (decoration.suiteMask & target.suiteMask) == decoration.suiteMask;
}

// The highest version first, then what names more of the system.
auto Closeness(const InfTarget& decoration) {
  return std::make_tuple(Version(decoration, false),
                         !decoration.architecture.empty(),
                         decoration.productType >= 0,
                         decoration.suiteMask != 0);
}

}  // namespace

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
  long long fields[5] = {-1, -1, -1, -1, -1};
  for (std::size_t i = 1; i < parts.size(); ++i)
    if (!ParseNumber(parts[i], &fields[i - 1])) return false;
  if (fields[0] > INT_MAX / 2 || fields[1] > INT_MAX / 2 ||
      fields[4] > INT_MAX / 2)
    return false;
  read.major = static_cast<int>(fields[0]);
  read.minor = static_cast<int>(fields[1]);
  read.productType = fields[2] > 0xFF ? 0xFF : static_cast<int>(fields[2]);
  read.suiteMask = fields[3] < 0 ? 0 : static_cast<unsigned>(fields[3]);
  read.build = static_cast<int>(fields[4]);
  *target = read;
  return true;
}

ModelsChoice ChooseModels(const std::string& models,
                          const std::vector<std::string>& decorations,
                          const InfTarget* target) {
  ModelsChoice choice;
  InfTarget best;
  bool found = false;
  for (const std::string& text : decorations) {
    InfTarget decoration;
    if (!ParseInfTarget(text, &decoration)) {
      choice.notDecorations.push_back(text);
      continue;
    }
    if (!target) {
      choice.sections.push_back(models + "." + text);
    } else if (Applies(decoration, *target) &&
               (!found || Closeness(best) < Closeness(decoration))) {
      best = decoration;
      found = true;
      choice.sections.assign(1, models + "." + text);
    }
  }
  choice.undecorated =
      !target || (!found && Architecture(*target) == "x86");
  if (choice.undecorated) choice.sections.insert(choice.sections.begin(), models);
  return choice;
}

}  // namespace pomvarin::check
