// Helpers shared by the fuzz targets: cutting one input into pieces, copies
// that the address sanitizer guards to the byte, and the stop on a broken
// property.
#pragma once

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace pomvarin::fuzz {

// Stops the run when a property does not hold; libFuzzer then keeps the
// input as a crash.
inline void Require(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "fuzz check failed: %s\n", what);
  std::abort();
}

// Cuts data at its first count - 1 NUL bytes. The last piece holds the rest,
// NUL bytes included; pieces the input does not reach are empty.
inline std::vector<std::string> SplitAtNul(const std::uint8_t* data,
                                           std::size_t size,
                                           std::size_t count) {
  std::vector<std::string> pieces(count);
  const char* at = reinterpret_cast<const char*>(data);
  const char* const end = at + size;
  for (std::size_t i = 0; i < count && at < end; ++i) {
    const void* nul = i + 1 < count ? std::memchr(at, '\0', end - at) : nullptr;
    const char* stop = nul ? static_cast<const char*>(nul) : end;
    pieces[i].assign(at, stop);
    at = nul ? stop + 1 : end;
  }
  return pieces;
}

// A heap copy of exactly the bytes of text, without a terminator: reading
// one byte past them is caught. (std::string keeps spare room after its
// bytes, where an overread would go unnoticed.)
inline std::unique_ptr<char[]> ExactCopy(const std::string& text) {
  std::unique_ptr<char[]> copy(new char[text.size()]);
  if (!text.empty()) std::memcpy(copy.get(), text.data(), text.size());
  return copy;
}

// The same with the terminator, for functions that take a C string.
inline std::unique_ptr<char[]> ExactString(const std::string& text) {
  std::unique_ptr<char[]> copy(new char[text.size() + 1]);
  std::memcpy(copy.get(), text.c_str(), text.size() + 1);
  return copy;
}

// A Text alone on the heap, so a write past its 260 bytes is caught.
struct GuardedText {
  Text text;
};

// Whether text holds a terminator within its 260 bytes.
inline bool IsTerminated(const Text& text) {
  return std::memchr(text, '\0', kTextSize) != nullptr;
}

inline char LowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

inline char UpperAscii(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

inline bool IsAsciiLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// VendorCount read by the C library: strtoll skips the same white space in
// the C locale, takes one sign and decimal digits and saturates at the
// 64-bit bounds; the clamp to 32 bits then gives the nearest bound for
// every value out of range.
inline std::int32_t ReferenceVendorCount(const char* text) {
  const long long value = std::strtoll(text, nullptr, 10);
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return static_cast<std::int32_t>(value);
}

inline std::string LowerAsciiText(std::string text) {
  for (char& c : text) c = LowerAscii(c);
  return text;
}

}  // namespace pomvarin::fuzz
