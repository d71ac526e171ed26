#include "check/capture/windows/windows_devices.h"

#include <cstdint>

#include "check/capture/capture_text.h"
#include "common/ascii.h"

namespace pomvarin::check::capture {

const char kOnlyInstanceId[] =
    "the capture holds its instance ID alone, whose device part is its "
    "first hardware ID: its other hardware IDs and its compatible IDs are "
    "not in the capture";

bool IsPciInstanceId(std::string_view text) {
  // No instance ID holds a blank or a control character: text that does is
  // some other value, or a cut one.
  for (const char c : text)
    if (static_cast<unsigned char>(c) <= 0x20) return false;
  return text.size() > 4 && (text[0] | 0x20) == 'p' &&
         (text[1] | 0x20) == 'c' && (text[2] | 0x20) == 'i' &&
         text[3] == '\\' && IsInstanceId(text);
}

namespace {

// The character of a reference's name (between "&" and ";"), or 0 for a
// name no escape has.
std::uint32_t ReferenceValue(std::string_view name) {
  const struct {
    const char* name;
    char value;
  } named[] = {{"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'},
               {"apos", '\''}};
  for (const auto& entity : named)
    if (name == entity.name) return static_cast<unsigned char>(entity.value);
  if (name.size() < 2 || name[0] != '#') return 0;
  const bool hex = name[1] == 'x' || name[1] == 'X';
  const std::string_view digits = name.substr(hex ? 2 : 1);
  if (digits.empty() || digits.size() > 6) return 0;
  std::uint32_t value = 0;
  for (char c : digits) {
    if (hex && !IsHexDigits(std::string_view(&c, 1), 0, 1)) return 0;
    if (!hex && (c < '0' || c > '9')) return 0;
    value = hex ? value * 16 + HexValue(std::string_view(&c, 1))
                : value * 10 + static_cast<std::uint32_t>(c - '0');
  }
  // Only ASCII is ever escaped in an ID; a name keeps its reference.
  return value > 0 && value < 0x80 ? value : 0;
}

}  // namespace

std::string WithoutXmlEscapes(std::string_view text) {
  std::string plain;
  plain.reserve(text.size());
  for (std::size_t at = 0; at < text.size(); ++at) {
    // No reference is longer than "&#x10FFFF;": the ";" is looked for so
    // far only.
    const std::size_t end =
        text[at] == '&' ? text.substr(at, 10).find(';') : std::string_view::npos;
    const std::uint32_t value =
        end != std::string_view::npos ? ReferenceValue(text.substr(at + 1, end - 1))
                                      : 0;
    if (value == 0) {
      plain += text[at];
      continue;
    }
    plain += static_cast<char>(value);
    at += end;
  }
  return plain;
}

void PciDevices::Add(std::string_view instanceId, std::vector<std::string>&& ids,
                     std::string_view lacking) {
  if (!IsPciInstanceId(instanceId)) return;
  // Instance IDs are told apart whatever their letters' case.
  const std::string key = pomvarin::UpperAscii(std::string(instanceId));
  const auto [found, added] = byInstance_.emplace(key, devices_.size());
  const bool whole = !ids.empty();
  if (!added) {
    if (whole && !whole_[found->second]) {
      devices_[found->second] = Device{std::move(ids), {}};
      whole_[found->second] = true;
    }
    return;
  }
  Device device{std::move(ids), {}};
  if (!whole) {
    const std::string_view devicePart =
        instanceId.substr(0, instanceId.find('\\', 4));
    device.hardwareIds.emplace_back(devicePart);
    // No line: a device of an export of many machines reads alike on every
    // machine, as it does in each machine's own capture.
    device.note = std::string(devicePart) + ": " + std::string(lacking);
  }
  devices_.push_back(std::move(device));
  whole_.push_back(whole);
}

PciDevices& MachineDevices::Of(std::string_view name) {
  const auto [found, added] =
      byName_.emplace(std::string(name), machines_.size());
  if (added) machines_.emplace_back(std::string(name), PciDevices());
  return machines_[found->second].second;
}

bool MachineDevices::AnyDevice() const {
  for (const auto& machine : machines_)
    if (!machine.second.empty()) return true;
  return false;
}

CapturedMachines MachineDevices::Take() {
  CapturedMachines machines;
  machines.reserve(machines_.size());
  for (auto& [name, devices] : machines_) {
    machines.push_back(CapturedMachine{
        machines_.size() == 1 ? std::string() : std::move(name),
        devices.Take()});
    devices = PciDevices();  // its index let go as soon as it is done with
  }
  return machines;
}

}  // namespace pomvarin::check::capture
