// pomvarin-check's readers of devcon captures, from another machine and so
// outside bytes: the table's devcon rows on the bytes as text, then the
// bytes as a capture file.
//
// Input: the capture. Its 16 MiB limit is not driven here: the file's
// reader applies it before these bytes are read as a capture.

#include <cstddef>
#include <cstdint>

#include "fuzz/capture_reader_fuzz.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  pomvarin::fuzz::FuzzCaptureReaders(data, size, "devcon ");
  return 0;
}
