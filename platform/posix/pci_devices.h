// Present PCI devices from the kernel's device folders, and their hardware
// IDs in the Windows form.
#pragma once

#include "common/pci_hardware_ids.h"
#include "platform/platform.h"

namespace pomvarin::platform::posix {

// Where the kernel lists the PCI devices, one folder per device.
constexpr char kPciDevicesFolder[] = "/sys/bus/pci/devices";

// Reads the numbers of the device folder named device in the open folder
// devicesFolder: vendor, device, subsystem and class from its "uevent" file
// in one read, or, where that gives not all of them, from the five number
// files ("vendor", "device", "subsystem_vendor", "subsystem_device",
// "class"). The kernel writes both from the same numbers it keeps; a tree
// where they differ reads as its uevent file says. The revision comes from
// "revision", or without one from byte 8 of "config". False when a number
// is missing or malformed.
bool ReadPciNumbers(int devicesFolder, const char* device, PciNumbers* numbers);

// The device list of devicesFolder (laid out like kPciDevicesFolder): every
// entry is a present device, in byte order of the names, for the enumerator
// "PCI" (any case) or none; another enumerator gets an empty list. nullptr
// when the folder cannot be read.
DeviceList OpenPciDeviceList(const char* devicesFolder, const char* enumerator);

}  // namespace pomvarin::platform::posix
