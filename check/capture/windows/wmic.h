// What wmic's readers share: the properties that name a device, and how a
// record of them gives its device.
#pragma once

#include <string_view>

#include "check/capture/capture.h"
#include "check/capture/windows/windows_devices.h"

namespace pomvarin::check::capture {

// The values of one record (one object wmic lists), as wmic writes them:
// XML escapes in, HardwareID an array in braces; empty where NULL.
struct WmicRecord {
  std::string_view deviceId;
  std::string_view pnpDeviceId;
  std::string_view hardwareId;
  int line = 0;  // where the record starts
};

// Sets the record's value of the property name, if it is one of the three.
// False for any other property.
bool TakeWmicProperty(std::string_view name, std::string_view value,
                      WmicRecord* record);

// Adds the record's PCI device, if it has one, to devices: its instance ID
// from PNPDeviceID or DeviceID, its hardware IDs from HardwareID. False
// when its HardwareID holds no array of hardware IDs.
bool AddWmicRecord(const WmicRecord& record, const char* format,
                   PciDevices* devices, CaptureError* error);

// Whether a property name is one of wmic's: letters, digits and "_".
bool IsWmicPropertyName(std::string_view name);

// What a reader of wmic says when the capture has no PCI device.
bool FailWithoutPciDevice(int line, const char* format, CaptureError* error);

}  // namespace pomvarin::check::capture
