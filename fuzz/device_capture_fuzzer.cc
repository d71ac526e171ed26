// Device captures as pomvarin-check reads them: its own --list form and
// lspci -vmm -nn output, both from another machine and so outside bytes.
//
// Input: the capture file.

#include <cstddef>
#include <cstdint>
#include <string>

#include "check/capture.h"
#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  using namespace pomvarin::check;
  using pomvarin::fuzz::Require;
  const std::string capture(reinterpret_cast<const char*>(data), size);
  Devices devices;
  std::string error;
  if (!ParseDeviceCapture(capture, &devices, &error)) {
    Require(!error.empty(), "a capture that is turned down says why");
    return 0;
  }
  for (const Device& device : devices) {
    for (const std::string& id : device.hardwareIds) {
      Require(!id.empty(), "no hardware ID is empty");
      Require(id.find_first_of(" \t\r\n") == std::string::npos,
              "no hardware ID holds a blank or a line end");
    }
  }
  // What --list writes must read back as the same devices.
  Devices again;
  Require(ParseDeviceCapture(FormatDeviceList(devices), &again, &error),
          "the list form of a capture reads back");
  Require(again.size() == devices.size(), "the list form keeps every device");
  for (std::size_t i = 0; i < devices.size(); ++i)
    Require(again[i].hardwareIds == devices[i].hardwareIds,
            "the list form keeps every hardware ID");
  return 0;
}
