#include "check/ven_id_lint.h"

#include <string>
#include <string_view>

#include "common/ascii.h"

namespace pomvarin::check {

namespace {

// The digits after these field names are no vendor's; each is found with
// the "&" before it.
const std::string_view kOtherFields[] = {"&DEV_", "&SUBSYS_", "&REV_"};

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

// The name of a field whose digits hold text ("DEV_", ...), or "".
std::string_view OtherFieldHolding(std::string_view id, std::string_view text) {
  for (const std::string_view field : kOtherFields) {
    const std::size_t at = id.find(field);
    if (at == std::string_view::npos) continue;
    const std::size_t begin = at + field.size();
    const std::size_t end = id.find('&', begin);
    const std::string_view digits = id.substr(
        begin, end == std::string_view::npos ? std::string_view::npos
                                             : end - begin);
    if (digits.find(text) != std::string_view::npos) return field.substr(1);
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
  for (const std::string& form : {entry.upperId, entry.lowerId}) {
    for (const Device& device : devices) {
      if (device.hardwareIds.empty()) continue;
      const std::string& first = device.hardwareIds.front();
      const std::string_view field = OtherFieldHolding(first, form);
      if (field.empty()) continue;
      warnings->push_back(Warning{
          entry.section, "VenID",
          Quoted(form) + " also occurs in the " + std::string(field) +
              " digits of " + first +
              ": a device of another vendor can match (write "
              "VEN_" + entry.upperId + " to test the vendor only)"});
      return;
    }
  }
}

}  // namespace pomvarin::check
