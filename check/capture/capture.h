// Device captures: another machine's PCI devices, saved there as a file and
// read here, each format recognised by its own shape (the formats are the
// rows of check/capture/capture_formats.cc, one file of this folder each).
//
// Each in UTF-8 with or without a byte-order mark, or UTF-16 (LE or BE) with
// one, with LF or CRLF line ends. Anything else is refused with the line at
// fault and what was expected there.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "check/fleet/devices.h"

namespace pomvarin::check {

// Where reading a capture stopped, and why.
struct CaptureError {
  int line = 0;         // from 1
  std::string message;  // what was expected there, and what was found
};

// One machine of a capture file. Most captures are one machine's; an
// export of many (a wmic CSV of several nodes, a PowerShell export whose
// objects carry PSComputerName) holds one for each computer name, and each
// is checked as a capture file of its own would be.
struct CapturedMachine {
  std::string name;  // the computer's name; empty in a capture of one machine
  Devices devices;
};

using CapturedMachines = std::vector<CapturedMachine>;

// Reads the bytes of a capture file into its machines and their PCI
// devices, each in the capture's order. A device the capture cannot tell
// all about carries a note.
bool ReadCaptureMachines(const std::string& bytes, CapturedMachines* machines,
                         CaptureError* error);

// As ReadCaptureMachines, for a capture that must be of one machine: one
// of many machines is refused.
bool ReadDeviceCapture(const std::string& bytes, Devices* devices,
                       CaptureError* error);

// "FILE, line N: message".
std::string DescribeCaptureError(const std::string& file,
                                 const CaptureError& error);

// The --list form: a comment line, then one device per line with its
// hardware IDs separated by blanks, "-" for a device without any.
std::string FormatDeviceList(const Devices& devices);

// Whether text is byte for byte what FormatDeviceList writes for devices,
// told without writing it.
bool IsDeviceListOf(std::string_view text, const Devices& devices);

}  // namespace pomvarin::check
