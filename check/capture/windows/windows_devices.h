// What the readers of Windows tools' captures share: a capture's PCI
// devices, each once by its instance ID, machine by machine, and the XML
// escapes that wmic and msinfo32 write.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "check/capture/capture.h"

namespace pomvarin::check::capture {

// Whether text is a PCI device's instance ID: PCI\ID\INSTANCE.
bool IsPciInstanceId(std::string_view text);

// text with &amp; &lt; &gt; &quot; &apos; and &#N; &#xN; undone; any other
// "&" stays as it is.
std::string WithoutXmlEscapes(std::string_view text);

// What a capture that holds a device's instance ID alone lacks, for its
// note.
extern const char kOnlyInstanceId[];

// The PCI devices of one machine, in the order first met, each once by its
// instance ID: a tool may list one device under several classes.
class PciDevices {
 public:
  // The device of instanceId, with its hardware IDs where the capture holds
  // them whole. Where it holds none,
  // the first is the instance ID's device part and the device's note says
  // what the capture lacks. A device met again gains its whole IDs, if it
  // now has them. Instance IDs of other buses are passed over.
  void Add(std::string_view instanceId, std::vector<std::string>&& ids,
           std::string_view lacking);

  bool empty() const { return devices_.empty(); }
  Devices Take() { return std::move(devices_); }

 private:
  Devices devices_;
  std::vector<bool> whole_;  // each device's: its IDs came whole
  std::unordered_map<std::string, std::size_t> byInstance_;
};

// The machines of an export of many, by computer name in the order first
// met.
class MachineDevices {
 public:
  PciDevices& Of(std::string_view name);

  // Whether any machine has a PCI device.
  bool AnyDevice() const;

  // An export of one machine is that machine's capture, named by its file
  // as any other: its machine has no name of its own.
  CapturedMachines Take();

 private:
  std::vector<std::pair<std::string, PciDevices>> machines_;
  std::unordered_map<std::string, std::size_t> byName_;
};

}  // namespace pomvarin::check::capture
