#include "check/capture/capture.h"

#include <algorithm>
#include <string_view>
#include <utility>

#include "check/capture/capture_formats.h"
#include "check/input/file_text.h"

namespace pomvarin::check {

namespace {

std::string Expected() {
  return "expected " + capture::CaptureFormatNames() + " output";
}

}  // namespace

bool ReadDeviceCapture(const std::string& bytes, Devices* devices,
                       CaptureError* error) {
  using namespace capture;
  std::string decoded, fault;
  std::string_view text;
  int faultLine = 0;
  if (!DecodeFileText(bytes, Utf16Orders::kEither, &decoded, &text, &faultLine,
                      &fault))
    return Fail(faultLine, fault, error);
  const std::size_t nul = text.find('\0');
  if (nul != std::string_view::npos)
    return Fail(LineAt(text, nul),
                "expected text, found a NUL byte: save the capture as UTF-8, "
                "or as UTF-16 with a byte-order mark",
                error);
  LineCursor first(text);
  bool anyText = false;
  while (!anyText && first.Next()) anyText = !Trim(first.line()).empty();
  if (!anyText)
    return Fail(std::max(first.number(), 1),
                Expected() + ", found " +
                    (bytes.empty() ? "an empty file" : "no text"),
                error);
  for (const CaptureFormat& format : CaptureFormats()) {
    if (!format.looksLike(first)) continue;
    Devices read;
    if (!format.read(text, &read, error)) return false;
    *devices = std::move(read);
    return true;
  }
  return Fail(first.number(),
              Expected() + ": " + kCaptureFormatStarts + ", found " +
                  QuotedExcerpt(Trim(first.line())),
              error);
}

std::string DescribeCaptureError(const std::string& file,
                                 const CaptureError& error) {
  return file + ", line " + std::to_string(error.line) + ": " + error.message;
}

}  // namespace pomvarin::check
