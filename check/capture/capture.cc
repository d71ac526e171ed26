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

bool ReadCaptureMachines(const std::string& bytes, CapturedMachines* machines,
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
    CapturedMachines read(format.readMachines ? 0 : 1);
    if (format.readMachines ? !format.readMachines(text, &read, error)
                            : !format.read(text, &read[0].devices, error))
      return false;
    *machines = std::move(read);
    return true;
  }
  return Fail(first.number(),
              Expected() + ": " + kCaptureFormatStarts + ", found " +
                  QuotedExcerpt(Trim(first.line())),
              error);
}

bool ReadDeviceCapture(const std::string& bytes, Devices* devices,
                       CaptureError* error) {
  CapturedMachines machines;
  if (!ReadCaptureMachines(bytes, &machines, error)) return false;
  if (machines.size() > 1) {
    std::string names;
    for (std::size_t i = 0; i < machines.size() && i < 3; ++i)
      names += (i > 0 ? ", " : "") + machines[i].name;
    return capture::Fail(
        1,
        "expected the devices of one machine, found " +
            std::to_string(machines.size()) + " machines (" + names +
            (machines.size() > 3 ? ", ..." : "") +
            "): check the file without --list, as a fleet",
        error);
  }
  *devices = std::move(machines[0].devices);
  return true;
}

std::string DescribeCaptureError(const std::string& file,
                                 const CaptureError& error) {
  return file + ", line " + std::to_string(error.line) + ": " + error.message;
}

}  // namespace pomvarin::check
