// What the PowerShell readers (Format-List, Export-Csv, ConvertTo-Json)
// share: the few properties of an object that tell its device and its
// machine, and the device they make. Get-PnpDevice, Get-WmiObject and
// Get-CimInstance objects (Win32_PnPEntity and the device classes such as
// Win32_VideoController) all name their device by these.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "check/capture/capture.h"

namespace pomvarin::check::capture {

enum class PowerShellProperty {
  kOther,
  kInstanceId,   // Get-PnpDevice's InstanceId
  kPnpDeviceId,  // PNPDeviceID: the instance ID in every device class
  kDeviceId,     // DeviceID: the instance ID in Win32_PnPEntity only
  kHardwareId,   // HardwareID: a list, most specific first
  kComputer,     // PSComputerName (or __SERVER): the machine
};

// The property a name stands for; PowerShell's names are
// case-insensitive.
PowerShellProperty PowerShellPropertyOf(std::string_view name);

// "InstanceId, DeviceID, PNPDeviceID or HardwareID", for messages.
extern const char kPowerShellIdProperties[];

// How much of a device's hardware IDs an object holds. A device listed
// twice (under two classes) is one device: the fuller listing stays.
enum class HeldIds { kInstanceIdOnly, kCutList, kWholeList };

// The machines of a PowerShell capture, by computer name in the order first
// met, each PCI device once by its instance ID.
class PowerShellMachines {
 public:
  // The machine of that name ("" where the objects name none), made at its
  // first object: a machine may have no PCI device.
  std::size_t Machine(std::string_view name);
  void AddDevice(std::size_t machine, std::string_view instanceId,
                 Device&& device, HeldIds held);

  bool AnyDevice() const;
  // A capture of one machine is named by its file, as any other.
  CapturedMachines Take();

 private:
  struct Held {
    std::string name;
    Devices devices;
    std::vector<std::string> instanceIds;  // each device's, in upper case
    std::vector<HeldIds> held;             // each device's
    // Where each instance ID stands, made only for a machine of more
    // devices than a walk should pass over.
    std::unique_ptr<std::unordered_map<std::string, std::size_t>> at;
  };
  std::vector<Held> machines_;
  std::unordered_map<std::string, std::size_t> byName_;
};

class PowerShellObject {
 public:
  explicit PowerShellObject(int line) : line_(line) {}

  void SetText(PowerShellProperty property, std::string_view value);
  // The IDs a HardwareID value holds; cut where the tool showed only the
  // first few.
  void SetHardwareIds(std::vector<std::string> ids, bool cut, int line);
  // A HardwareID written as its type's name (System.String[]): no IDs.
  void SetHardwareIdsUnwritten() { idsUnwritten_ = true; }

  // Whether the object has a property that names a device.
  bool NamesDevice() const { return namesDevice_; }

  // Adds the object's machine to machines and its device, if a PCI one;
  // false for IDs of the wrong shape. format names the tool for messages.
  bool AddTo(PowerShellMachines* machines, const char* format,
             CaptureError* error) const;

 private:
  int line_;
  bool namesDevice_ = false;
  std::string instanceId_, pnpDeviceId_, deviceId_, computer_;
  bool hasIds_ = false, cut_ = false, idsUnwritten_ = false;
  int idsLine_ = 0;
  std::vector<std::string> ids_;
};


}  // namespace pomvarin::check::capture
