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

#include "check/fleet/devices.h"

namespace pomvarin::check {

// Where reading a capture stopped, and why.
struct CaptureError {
  int line = 0;         // from 1
  std::string message;  // what was expected there, and what was found
};

// Reads the bytes of a capture file into its PCI devices, in its order. A
// device the capture cannot tell all about carries a note.
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
