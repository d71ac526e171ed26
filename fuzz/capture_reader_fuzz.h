// What every capture reader's fuzz target holds of a reader: a refusal
// names a line and what was expected and gives no devices; the devices it
// gives have IDs of the enumerator's form, a note that names its device,
// and read back from their list form.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "check/capture/capture.h"
#include "check/capture/capture_formats.h"
#include "fuzz/fuzz_input.h"

namespace pomvarin::fuzz {

inline void RequireSoundDevices(const check::Devices& devices) {
  using check::Device;
  for (const Device& device : devices) {
    Require(!device.hardwareIds.empty(), "a Windows tool's device has IDs");
    for (const std::string& id : device.hardwareIds) {
      Require(id.find_first_of(" \t\r\n\v\f") == std::string::npos,
              "no hardware ID holds a blank or a line end");
      Require(id.find('\\') != std::string::npos,
              "every hardware ID is in the enumerator's form");
    }
    // The notes name no line: an export of many machines gives each
    // machine's device the note its own capture would.
    Require(device.note.empty() ||
                device.note.rfind(device.hardwareIds[0] + ": ", 0) == 0,
            "a note names its device's first ID");
  }
  check::Devices again;
  check::CaptureError error;
  Require(check::ReadDeviceCapture(check::FormatDeviceList(devices), &again,
                                   &error),
          "the list form of the devices reads back");
  Require(again.size() == devices.size(), "the list form keeps every device");
}

// Runs the table's readers whose names begin with prefix on the bytes as
// UTF-8 text, each where the text looks like its format, then the whole reading of them as a capture file.
inline void FuzzCaptureReaders(const std::uint8_t* data, std::size_t size,
                               std::string_view prefix) {
  using namespace check;
  const std::string text(reinterpret_cast<const char*>(data), size);
  // A reader is given text without NUL that looks like its format at its
  // first line of text, as the capture's reading gives it.
  capture::LineCursor first(text.find('\0') == std::string::npos
                                ? std::string_view(text)
                                : std::string_view());
  while (first.Next() && capture::Trim(first.line()).empty()) {
  }
  for (const capture::CaptureFormat& format : capture::CaptureFormats()) {
    if (std::string_view(format.name).substr(0, prefix.size()) != prefix ||
        capture::Trim(first.line()).empty() || !format.looksLike(first))
      continue;
    CapturedMachines machines;
    Devices devices{{{"untouched"}, {}}};
    CaptureError error;
    const bool read = format.readMachines
                          ? format.readMachines(text, &machines, &error)
                          : format.read(text, &devices, &error);
    if (!read) {
      Require(error.line >= 1, "a refusal names a line");
      Require(error.message.rfind("expected ", 0) == 0,
              "a refusal says what was expected");
      Require(machines.empty() && devices.size() == 1 &&
                  devices[0].hardwareIds[0] == "untouched",
              "a refused capture gives no devices");
      continue;
    }
    if (!format.readMachines) machines.push_back({"", devices});
    for (const CapturedMachine& machine : machines)
      RequireSoundDevices(machine.devices);
  }
  CapturedMachines machines;
  CaptureError error;
  if (ReadCaptureMachines(text, &machines, &error))
    Require(!machines.empty(), "a capture read gives its machines");
}

}  // namespace pomvarin::fuzz
