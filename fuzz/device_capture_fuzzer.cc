// Device captures as pomvarin-check reads them: its own --list form, lspci
// -vmm -nn and pnputil /enum-devices output, from another machine and so
// outside bytes.
//
// Input: the capture file. Its 16 MiB limit is not driven here: the file's
// reader applies it before these bytes are read as a capture.

#include <cstddef>
#include <cstdint>
#include <string>

#include "check/capture/capture.h"
#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  using namespace pomvarin::check;
  using pomvarin::fuzz::Require;
  const std::string capture(reinterpret_cast<const char*>(data), size);
  Devices devices{{{"untouched"}, {}}};
  CaptureError error;
  if (!ReadDeviceCapture(capture, &devices, &error)) {
    Require(error.line >= 1, "a refusal names a line");
    Require(error.message.rfind("expected ", 0) == 0,
            "a refusal says what was expected");
    Require(devices.size() == 1 && devices[0].hardwareIds[0] == "untouched",
            "a refused capture gives no devices");
    return 0;
  }
  for (const Device& device : devices) {
    for (const std::string& id : device.hardwareIds) {
      Require(!id.empty(), "no hardware ID is empty");
      Require(id.find_first_of(" \t\r\n\v\f") == std::string::npos,
              "no hardware ID holds a blank or a line end");
      Require(id.find('\\') != std::string::npos,
              "every hardware ID is in the enumerator's form");
    }
  }
  // What --list writes must read back as the same devices.
  Devices again;
  Require(ReadDeviceCapture(FormatDeviceList(devices), &again, &error),
          "the list form of a capture reads back");
  Require(again.size() == devices.size(), "the list form keeps every device");
  for (std::size_t i = 0; i < devices.size(); ++i)
    Require(again[i].hardwareIds == devices[i].hardwareIds,
            "the list form keeps every hardware ID");
  return 0;
}
