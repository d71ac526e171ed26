#include "check/fleet/digest.h"

#include <cstring>
#include <string>

namespace pomvarin::check {

namespace {

constexpr std::uint64_t kOdd1 = 0x9E3779B97F4A7C15ull;
constexpr std::uint64_t kOdd2 = 0xC2B2AE3D27D4EB4Full;
constexpr std::uint64_t kOdd3 = 0xFF51AFD7ED558CCDull;

std::uint64_t Mix(std::uint64_t value) {
  value ^= value >> 33;
  value *= kOdd3;
  value ^= value >> 29;
  value *= kOdd2;
  return value ^ (value >> 32);
}

std::uint64_t Rotate(std::uint64_t value, int bits) {
  return (value << bits) | (value >> (64 - bits));
}

// Two lanes of eight bytes a step, each word weighed differently in each,
// so that the lanes are not one hash twice.
class Digester {
 public:
  void Add(std::string_view bytes) {
    length_ += bytes.size();
    std::size_t at = 0;
    for (; at + 8 <= bytes.size(); at += 8) {
      std::uint64_t word;
      std::memcpy(&word, bytes.data() + at, 8);
      Step(word);
    }
    if (at < bytes.size()) {
      std::uint64_t word = 0;
      std::memcpy(&word, bytes.data() + at, bytes.size() - at);
      // The tail's length in the top bits, in 64 bits on every word size.
      Step(word ^ static_cast<std::uint64_t>(bytes.size() - at) << 59);
    }
  }

  // Ends a part, so that "ab" "c" and "a" "bc" differ.
  void EndPart(std::uint64_t mark) { Step(mark * kOdd3 ^ length_); }

  Digest Result() const {
    return Digest{Mix(low_ ^ length_), Mix(high_ + length_ * kOdd1)};
  }

 private:
  void Step(std::uint64_t word) {
    low_ = Rotate((low_ ^ word) * kOdd1, 27) * kOdd2;
    high_ = Rotate(high_ + word * kOdd3, 31) * kOdd1 + 0x52DCE729;
  }

  std::uint64_t low_ = 0x243F6A8885A308D3ull;
  std::uint64_t high_ = 0x13198A2E03707344ull;
  std::uint64_t length_ = 0;
};

}  // namespace

Digest DigestOf(std::string_view bytes) {
  Digester digester;
  digester.Add(bytes);
  return digester.Result();
}

Digest DigestOf(const Devices& devices) {
  Digester digester;
  for (const Device& device : devices) {
    for (const std::string& id : device.hardwareIds) {
      digester.Add(id);
      digester.EndPart(1);
    }
    digester.Add(device.note);
    digester.EndPart(2);
  }
  digester.EndPart(devices.size());
  return digester.Result();
}

}  // namespace pomvarin::check
