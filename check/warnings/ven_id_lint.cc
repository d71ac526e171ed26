// Warnings of a VenID whose text also occurs in other vendors' devices.
#include "check/warnings/ven_id_lint.h"

#include <string>
#include <string_view>

#include "common/ascii.h"

namespace pomvarin::check {

namespace {

// The digits after these field names are no vendor's.
constexpr std::size_t kOtherFieldCount = 3;
const std::string_view kOtherFields[kOtherFieldCount] = {"DEV_", "SUBSYS_",
                                                         "REV_"};

// The digits of the first field of each of kOtherFields in an ID, if it
// has one ("&DEV_0D57&" gives "0D57").
struct OtherDigits {
  bool found[kOtherFieldCount] = {};
  std::string_view digits[kOtherFieldCount];
};

// Whether text occurring in id depends on id's eight SUBSYS_ digits: it
// occurs nowhere else, and would where some other hex digits stood there.
bool DependsOnSubsystem(const std::string& id, const std::string& text) {
  const std::size_t field = id.find("&SUBSYS_");
  if (field == std::string::npos || text.empty()) return false;
  const std::size_t begin = field + 8, end = begin + 8;
  for (std::size_t at = id.find(text); at != std::string::npos;
       at = id.find(text, at + 1)) {
    if (at + text.size() <= begin || at >= end) return false;
  }
  for (std::size_t at = 0; at + text.size() <= id.size(); ++at) {
    if (at + text.size() <= begin || at >= end) continue;
    bool fits = true;
    for (std::size_t i = 0; i < text.size() && fits; ++i) {
      const char c = text[i];
      fits = at + i >= begin && at + i < end
                 ? (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F')
                 : c == id[at + i];
    }
    if (fits) return true;
  }
  return false;
}

// Found in one walk over the ID's "&"s, once for all of an entry's forms.
OtherDigits OtherDigitsOf(std::string_view id) {
  OtherDigits other;
  for (std::size_t at = id.find('&'); at != std::string_view::npos;
       at = id.find('&', at + 1)) {
    const std::string_view field = id.substr(at + 1);
    for (std::size_t f = 0; f < kOtherFieldCount; ++f) {
      const std::string_view name = kOtherFields[f];
      if (other.found[f] || field.substr(0, name.size()) != name) continue;
      other.found[f] = true;
      other.digits[f] =
          field.substr(name.size(), field.find('&') - name.size());
    }
  }
  return other;
}

// The name of a field whose digits hold text ("DEV_", ...), or "".
std::string_view OtherFieldHolding(const OtherDigits& other,
                                   std::string_view text) {
  for (std::size_t f = 0; f < kOtherFieldCount; ++f) {
    if (other.found[f] &&
        other.digits[f].find(text) != std::string_view::npos)
      return kOtherFields[f];
  }
  return "";
}

}  // namespace

void LintVenId(const EntryReport& entry, const Devices& devices,
               std::vector<Warning>* warnings) {
  if (entry.upperId.empty()) {
    warnings->push_back(
        Warning{entry.section, "VenID",
                "is empty: it matches the first PCI device of any vendor"});
    return;
  }
  for (const Device& device : devices) {
    if (device.note.empty() || device.hardwareIds.empty() ||
        !(DependsOnSubsystem(device.hardwareIds.front(), entry.upperId) ||
          DependsOnSubsystem(device.hardwareIds.front(), entry.lowerId)))
      continue;
    warnings->push_back(Warning{
        entry.section, "VenID",
        "whether it matches " + device.hardwareIds.front() +
            " depends on its SUBSYS_ digits, which the capture does not "
            "give (see the note): Windows may answer otherwise"});
    break;
  }
  std::vector<OtherDigits> others;
  others.reserve(devices.size());
  for (const Device& device : devices)
    others.push_back(device.hardwareIds.empty()
                         ? OtherDigits{}
                         : OtherDigitsOf(device.hardwareIds.front()));
  for (const std::string* form : {&entry.upperId, &entry.lowerId}) {
    for (std::size_t d = 0; d < devices.size(); ++d) {
      if (devices[d].hardwareIds.empty()) continue;
      const std::string& first = devices[d].hardwareIds.front();
      const std::string_view field = OtherFieldHolding(others[d], *form);
      if (field.empty()) continue;
      warnings->push_back(Warning{
          entry.section, "VenID",
          Quoted(*form) + " also occurs in the " + std::string(field) +
              " digits of " + first +
              ": a device of another vendor can match (write "
              "VEN_" + entry.upperId + " to test the vendor only)"});
      return;
    }
  }
}

}  // namespace pomvarin::check
