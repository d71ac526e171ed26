// The PCI devices a check runs against: the present ones, or those of a
// capture of another machine's (check/capture/capture.h).
#pragma once

#include <string>
#include <vector>

#include "platform/capture/captured_devices.h"
#include "platform/platform.h"

namespace pomvarin::check {

using Device = platform::CapturedDevice;
using Devices = platform::CapturedDevices;

// The present PCI devices in the platform's listing order. False when the
// device list cannot be obtained.
bool ReadPresentDevices(Devices* devices);

// The IDs of a NUL-separated list ended by an empty one, as the
// device-setup service gives them.
std::vector<std::string> SplitIdList(const unsigned char* data,
                                     std::size_t size);

// The first hardware ID of a device of an open list, as the platform gives
// it; empty when it cannot be read.
std::string FirstHardwareId(platform::DeviceList list,
                            const platform::DeviceRecord& device);

}  // namespace pomvarin::check
