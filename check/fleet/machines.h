// The machines a check runs over: the present devices, one capture, or
// every capture of the files and folders named on the command line.
#pragma once

#include <string>
#include <vector>

#include "check/fleet/devices.h"
#include "check/report/results.h"

namespace pomvarin::check {

// The devices of the one capture of captures, or the present ones when
// there is none; false with the reason when they cannot be read.
bool ReadDevices(const std::vector<std::string>& captures, Devices* devices,
                 std::string* error);

// The last part of a path: a capture's machine name.
std::string FileName(const std::string& path);

// Whether path is a folder the platform can list.
bool IsFolder(const std::string& path);

// The machines of every --devices, by configuration in the order each was
// first met: a file is one machine, an export of many machines one for
// each computer it names; a folder's files are so each, in name order,
// those that are no capture skipped. False when a capture named on
// the command line, or a file of a folder, cannot be read: the others are
// still checked.
bool ReadConfigurations(const std::vector<std::string>& captures,
                        std::vector<Configuration>* configurations,
                        std::vector<SkippedCapture>* skipped);

}  // namespace pomvarin::check
