// The capture formats pomvarin-check reads, one row each: a new format is
// its reader's file and a row here.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "check/capture/capture_text.h"
#include "check/fleet/devices.h"

namespace pomvarin::check::capture {

struct CaptureFormat {
  // As users know it: the command that writes it.
  const char* name;
  // Whether the text looks like this format at its first non-blank line,
  // where first stands.
  bool (*looksLike)(const LineCursor& first);
  // The devices of a capture of this format, in its order.
  bool (*read)(std::string_view text, Devices* devices, CaptureError* error);
  // For a format that can hold many machines, its reader instead of read;
  // machines is empty when it is called.
  bool (*readMachines)(std::string_view text, CapturedMachines* machines,
                       CaptureError* error) = nullptr;
  // Whether messages and --help name it: a shape known only to be refused
  // with its remedy is not.
  bool named = true;
};

// In the order messages and --help name them. A capture is read by the
// first row it looks like.
const std::vector<CaptureFormat>& CaptureFormats();

// "A, B or C", the names in the table's order.
std::string CaptureFormatNames();

// What the formats' first lines hold, for a text that looks like none.
extern const char kCaptureFormatStarts[];

// Each format's own file.
bool LooksLikeLspci(const LineCursor& first);
bool ReadLspci(std::string_view text, Devices* devices, CaptureError* error);
bool LooksLikeList(const LineCursor& first);
bool ReadList(std::string_view text, Devices* devices, CaptureError* error);
bool LooksLikePnputil(const LineCursor& first);
bool ReadPnputil(std::string_view text, Devices* devices, CaptureError* error);

// The Windows tools' own, in windows/.
bool LooksLikeWmicList(const LineCursor& first);
bool ReadWmicList(std::string_view text, Devices* devices, CaptureError* error);
bool LooksLikeWmicCsv(const LineCursor& first);
bool ReadWmicCsv(std::string_view text, CapturedMachines* machines,
                 CaptureError* error);
bool LooksLikeWmicTable(const LineCursor& first);
bool ReadWmicTable(std::string_view text, Devices* devices,
                   CaptureError* error);
bool LooksLikeMsinfo32Report(const LineCursor& first);
bool ReadMsinfo32Report(std::string_view text, Devices* devices,
                        CaptureError* error);
bool LooksLikeMsinfo32Nfo(const LineCursor& first);
bool ReadMsinfo32Nfo(std::string_view text, Devices* devices,
                     CaptureError* error);
bool LooksLikeDevconHwids(const LineCursor& first);
bool ReadDevconHwids(std::string_view text, Devices* devices,
                     CaptureError* error);
bool LooksLikeDevconFind(const LineCursor& first);
bool ReadDevconFind(std::string_view text, Devices* devices,
                    CaptureError* error);

// PowerShell's, in windows/powershell_*.cc.
bool LooksLikePowerShellList(const LineCursor& first);
bool ReadPowerShellList(std::string_view text, CapturedMachines* machines,
                        CaptureError* error);
bool LooksLikePowerShellCsv(const LineCursor& first);
bool ReadPowerShellCsv(std::string_view text, CapturedMachines* machines,
                       CaptureError* error);
bool LooksLikePowerShellJson(const LineCursor& first);
bool ReadPowerShellJson(std::string_view text, CapturedMachines* machines,
                        CaptureError* error);
bool LooksLikePowerShellTable(const LineCursor& first);
bool ReadPowerShellTable(std::string_view text, Devices* devices,
                         CaptureError* error);

}  // namespace pomvarin::check::capture
