// pomvarin-check's output: plain text for people, JSON for tools.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "check/check.h"

namespace pomvarin::check {

// Where the devices of a check came from.
struct DeviceSource {
  std::string capture;  // the capture file; empty for the present devices
  std::size_t count = 0;
  // What the capture could not tell of some devices (see Device::note).
  std::vector<std::string> notes;
};

std::string FormatText(const Report& report, const DeviceSource& devices);
std::string FormatJson(const Report& report, const DeviceSource& devices);

// text as a JSON string, quotes included. Bytes that are not UTF-8 (a
// Windows code page's letters) are written as the characters of the same
// number.
std::string JsonString(const std::string& text);

}  // namespace pomvarin::check
