#include "check/capture/windows/powershell_object.h"

#include <utility>

#include "check/capture/capture_text.h"
#include "check/capture/windows/windows_devices.h"
#include "common/ascii.h"

namespace pomvarin::check::capture {

namespace {

bool SameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if ((a[i] | 0x20) != (b[i] | 0x20)) return false;
  return true;
}

// An ID of the enumerator's form without control characters, which no ID
// holds (DeviceIdParts turns down blanks only).
bool IsIdText(std::string_view id, int parts) {
  for (char c : id)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
  return parts == 2 ? IsHardwareId(id) : IsInstanceId(id);
}

// ENUMERATOR\DEVICE of ENUMERATOR\DEVICE\INSTANCE: a PCI device's first
// hardware ID.
std::string DevicePart(std::string_view instanceId) {
  const std::size_t first = instanceId.find('\\');
  return std::string(instanceId.substr(0, instanceId.find('\\', first + 1)));
}

}  // namespace

const char kPowerShellIdProperties[] =
    "InstanceId, DeviceID, PNPDeviceID or HardwareID";

PowerShellProperty PowerShellPropertyOf(std::string_view name) {
  const struct {
    const char* name;
    PowerShellProperty property;
  } names[] = {
      {"InstanceId", PowerShellProperty::kInstanceId},
      {"PNPDeviceID", PowerShellProperty::kPnpDeviceId},
      {"DeviceID", PowerShellProperty::kDeviceId},
      {"HardwareID", PowerShellProperty::kHardwareId},
      {"PSComputerName", PowerShellProperty::kComputer},
      {"__SERVER", PowerShellProperty::kComputer},
  };
  for (const auto& known : names)
    if (SameName(name, known.name)) return known.property;
  return PowerShellProperty::kOther;
}

std::size_t PowerShellMachines::Machine(std::string_view name) {
  const auto [found, added] = byName_.emplace(std::string(name), machines_.size());
  if (added) machines_.push_back(Held{std::string(name), {}, {}, {}, nullptr});
  return found->second;
}

void PowerShellMachines::AddDevice(std::size_t machine,
                                   std::string_view instanceId,
                                   Device&& device, HeldIds held) {
  Held& owner = machines_[machine];
  // Instance IDs are told apart whatever their letters' case. A machine
  // has a few dozen PCI devices, and an export many machines: a walk over
  // the machine's own finds a device listed again in little memory; past
  // a hundred, they are looked up.
  std::string key = pomvarin::UpperAscii(std::string(instanceId));
  std::size_t at = owner.instanceIds.size();
  if (owner.at) {
    const auto found = owner.at->find(key);
    if (found != owner.at->end()) at = found->second;
  } else {
    for (std::size_t i = 0; i < owner.instanceIds.size() && at == owner.instanceIds.size(); ++i)
      if (owner.instanceIds[i] == key) at = i;
  }
  if (!key.empty() && at < owner.instanceIds.size()) {
    if (owner.held[at] < held) {
      owner.devices[at] = std::move(device);
      owner.held[at] = held;
    }
    return;
  }
  if (!owner.at && owner.instanceIds.size() >= 100) {
    owner.at = std::make_unique<std::unordered_map<std::string, std::size_t>>();
    for (std::size_t i = 0; i < owner.instanceIds.size(); ++i)
      owner.at->emplace(owner.instanceIds[i], i);
  }
  if (owner.at && !key.empty()) owner.at->emplace(key, owner.instanceIds.size());
  owner.devices.push_back(std::move(device));
  owner.instanceIds.push_back(std::move(key));
  owner.held.push_back(held);
}

bool PowerShellMachines::AnyDevice() const {
  for (const Held& machine : machines_)
    if (!machine.devices.empty()) return true;
  return false;
}

CapturedMachines PowerShellMachines::Take() {
  CapturedMachines machines;
  for (Held& machine : machines_)
    machines.push_back(CapturedMachine{
        machines_.size() == 1 ? std::string() : std::move(machine.name),
        std::move(machine.devices)});
  return machines;
}

void PowerShellObject::SetText(PowerShellProperty property,
                               std::string_view value) {
  namesDevice_ = namesDevice_ || (property != PowerShellProperty::kComputer &&
                                  property != PowerShellProperty::kOther);
  switch (property) {
    case PowerShellProperty::kInstanceId: instanceId_ = value; break;
    case PowerShellProperty::kPnpDeviceId: pnpDeviceId_ = value; break;
    case PowerShellProperty::kDeviceId: deviceId_ = value; break;
    case PowerShellProperty::kComputer:
      // PSComputerName and __SERVER name one machine: the first stays.
      if (computer_.empty()) computer_ = value;
      break;
    default: break;
  }
}

void PowerShellObject::SetHardwareIds(std::vector<std::string> ids, bool cut,
                                      int line) {
  namesDevice_ = true;
  hasIds_ = !ids.empty();
  ids_ = std::move(ids);
  cut_ = cut;
  idsLine_ = line;
}

bool PowerShellObject::AddTo(PowerShellMachines* machines, const char* format,
                             CaptureError* error) const {
  const std::size_t machine = machines->Machine(computer_);
  // Win32_PnPEntity's DeviceID is its instance ID; a device class's
  // DeviceID is a number or a name of its own ("VideoController1").
  std::string_view instanceId;
  for (const std::string* value : {&instanceId_, &pnpDeviceId_, &deviceId_})
    if (instanceId.empty() && IsIdText(*value, 3)) instanceId = *value;
  if (hasIds_) {
    // Other buses' IDs are theirs to shape ("*PNP0A08"): they are passed.
    if (!SameName(ids_[0].substr(0, 4), "PCI\\") && !IsPciInstanceId(instanceId))
      return true;
    for (const std::string& id : ids_)
      if (!IsIdText(id, 2))
        return Fail(idsLine_,
                    std::string("expected hardware IDs such as "
                                "PCI\\VEN_8086&DEV_2822 in HardwareID (") +
                        format + "), found " + QuotedExcerpt(id),
                    error);
    Device device{ids_, ""};
    if (cut_)
      device.note = ids_[0] + ": the capture lists its first " +
                    std::to_string(ids_.size()) +
                    " hardware IDs only (Format-List shows 4; set "
                    "$FormatEnumerationLimit = -1 first): the others are "
                    "missing";
    machines->AddDevice(machine, instanceId, std::move(device),
                        cut_ ? HeldIds::kCutList : HeldIds::kWholeList);
    return true;
  }
  if (!IsPciInstanceId(instanceId)) return true;
  Device device{{DevicePart(instanceId)}, ""};
  device.note = device.hardwareIds[0] +
                (idsUnwritten_
                     ? ": HardwareID was written as System.String[] (a list "
                       "in Export-Csv), so only the instance ID tells the "
                       "device: its first hardware ID is the instance ID's "
                       "device part, the others are missing"
                     : std::string(": ") + kOnlyInstanceId);
  machines->AddDevice(machine, instanceId, std::move(device),
                      HeldIds::kInstanceIdOnly);
  return true;
}

}  // namespace pomvarin::check::capture
