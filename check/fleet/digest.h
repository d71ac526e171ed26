// 128 bits that tell captures apart by their bytes or their devices, so
// that a configuration is known again without keeping what it was read
// from. Two different inputs share a digest about once in 2^64 pairs.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "check/fleet/devices.h"

namespace pomvarin::check {

struct Digest {
  std::uint64_t low = 0;
  std::uint64_t high = 0;
  bool operator==(const Digest& other) const {
    return low == other.low && high == other.high;
  }
};

struct HashOfDigest {
  std::size_t operator()(const Digest& digest) const {
    return static_cast<std::size_t>(digest.low);
  }
};

Digest DigestOf(std::string_view bytes);

// Of the devices' hardware IDs and notes, in their order.
Digest DigestOf(const Devices& devices);

}  // namespace pomvarin::check
