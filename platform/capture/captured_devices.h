// Devices of another machine, saved there and read here: while a capture is
// in place, the device operations of platform.h list its devices instead of
// the system's, so the launcher's own device question runs on them
// unchanged. Only pomvarin-check's build has this; with no capture in place
// its device operations are the system's.
#pragma once

#include <string>
#include <vector>

namespace pomvarin::platform {

struct CapturedDevice {
  // Most specific first, as the device-setup service gives them; empty when
  // they cannot be read (such a device never matches).
  std::vector<std::string> hardwareIds;
  // What the capture could not tell of the device, for people; empty when
  // nothing.
  std::string note;
};

using CapturedDevices = std::vector<CapturedDevice>;

// While it lives, every device list is devices, in their order, for any
// enumerator; the one it replaced comes back when it goes.
class ScopedCapture {
 public:
  explicit ScopedCapture(const CapturedDevices& devices);
  ~ScopedCapture();
  ScopedCapture(const ScopedCapture&) = delete;
  ScopedCapture& operator=(const ScopedCapture&) = delete;

 private:
  // Each device's hardware IDs as the property reads them, made once: the
  // launcher's pass asks for every device's at every entry.
  std::vector<std::string> idLists_;
  const std::vector<std::string>* replaced_;
};

}  // namespace pomvarin::platform
