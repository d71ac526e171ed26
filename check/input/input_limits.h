// The largest files pomvarin-check reads: it reads what customers and
// vendors send, and a file past its limit is refused by name rather than
// read without end. Each limit is many times the largest real file of its
// kind.
#pragma once

#include <cstddef>
#include <string>

namespace pomvarin::check {

// A server's `lspci -vmm -nn` is under 100 KB; `pnputil /enum-devices /ids`
// of a machine with 500 devices about 1.2 MB in UTF-16.
constexpr std::size_t kCaptureLimit = 16u << 20;

// The largest vendors' .inf files (display drivers listing thousands of
// devices) are a few MB, twice that in UTF-16.
constexpr std::size_t kInfLimit = 16u << 20;

// A disc's Pomvarin.ini is a few KB.
constexpr std::size_t kConfigurationLimit = 1u << 20;

// "16 MiB", for messages.
std::string LimitText(std::size_t limit);

}  // namespace pomvarin::check
