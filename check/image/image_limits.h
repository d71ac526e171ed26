// How much of an image the check reads: enough for any disc a person
// makes, and a bound on what a broken or hostile one can make it do.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pomvarin::check {

// Every entry of every folder of the image together; a tree that shares one
// folder under many names counts each time it is met.
constexpr std::size_t kImageEntryLimit = 1000000;
// The root and the levels below it that are read: a folder deeper still
// could never be listed, as the pattern that lists it ("D:\", "\x" for
// each level, "\*") passes the launcher's 259 characters.
constexpr std::size_t kImageDepthLimit = 128;
// The bytes of one folder's records, and of all folders together.
constexpr std::uint64_t kFolderBytesLimit = 64ull << 20;
constexpr std::uint64_t kAllFolderBytesLimit = 512ull << 20;
// The volume descriptors looked at from sector 16 on.
constexpr int kDescriptorLimit = 64;

}  // namespace pomvarin::check
