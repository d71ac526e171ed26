#include "check/capture/capture.h"

#include "check/capture/capture_formats.h"
#include "check/file_text.h"

namespace pomvarin::check {

bool ReadDeviceCapture(const std::string& bytes, Devices* devices,
                       CaptureError* error) {
  using namespace capture;
  std::string text, fault;
  int faultLine = 0;
  if (!DecodeFileText(bytes, Utf16Orders::kEither, &text, &faultLine, &fault))
    return Fail(faultLine, fault, error);
  const std::size_t nul = text.find('\0');
  if (nul != std::string::npos)
    return Fail(LineAt(text, nul),
                "expected text, found a NUL byte: save the capture as UTF-8, "
                "or as UTF-16 with a byte-order mark",
                error);
  const Lines lines = SplitLines(text);
  std::size_t first = 0;
  while (first < lines.size() && Trim(lines[first]).empty()) ++first;
  const std::string expected = "expected " + CaptureFormatNames() + " output";
  if (first == lines.size())
    return Fail(static_cast<int>(lines.empty() ? 1 : lines.size()),
                expected + ", found " +
                    (bytes.empty() ? "an empty file" : "no text"),
                error);
  for (const CaptureFormat& format : CaptureFormats()) {
    if (!format.looksLike(lines, first)) continue;
    Devices read;
    if (!format.read(lines, &read, error)) return false;
    *devices = read;
    return true;
  }
  return Fail(static_cast<int>(first) + 1,
              expected + ": " + kCaptureFormatStarts + ", found " +
                  QuotedExcerpt(Trim(lines[first])),
              error);
}

std::string DescribeCaptureError(const std::string& file,
                                 const CaptureError& error) {
  return file + ", line " + std::to_string(error.line) + ": " + error.message;
}

}  // namespace pomvarin::check
