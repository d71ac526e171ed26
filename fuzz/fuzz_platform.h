// A platform for fuzzing the whole run. The current directory, the devices,
// the folder tree and the text of Pomvarin.ini come from the fuzz input;
// every call the logic makes is checked against the seam's rules as it
// happens (paths within the limit, handles live, one start per listed
// folder, no folder entered twice on one path), and what the run did is
// counted for the checks after it.
//
// Pomvarin.ini is read by the real Linux reader (profile_reader.cc): this
// platform supplies ToPosixPath, which the reader calls, and maps the
// configuration path to an in-memory file holding the text.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace pomvarin::fuzz {

// How a device answers a request for its hardware IDs.
enum class PropertyBehaviour {
  kIds,              // the ID list, with the usual size protocol
  kUnreadable,       // fails outright
  kKeepsGrowing,     // every request asks for 16 bytes more
  kHuge,             // asks for more memory than can be had
  kSameSizeAgain,    // asks again for the size it already got
  kWritesThenFails,  // writes what fits of its list, then fails
};

struct Device {
  std::vector<std::string> hardwareIds;
  PropertyBehaviour behaviour = PropertyBehaviour::kIds;
};

struct Launch {
  std::string path;
  std::string parameters;
  platform::ShowCommand show;
};

// What the run did.
struct Record {
  std::vector<std::string> trace;
  std::vector<Launch> launches;
  int warnings = 0;
  int deviceListRequests = 0;
  int deviceListsOpened = 0;
  int deviceListsClosed = 0;
  int listingsOpened = 0;
  int listingsClosed = 0;
  int buffersAllocated = 0;
  int buffersReleased = 0;
};

// Starts a new world: the current directory (260 characters or more: it
// cannot be read) as folder 0 with no entries, Pomvarin.ini in it holding
// configuration, no devices.
void Reset(const std::string& currentDirectory,
           const std::string& configuration);

void SetDeviceListAvailable(bool available);
void AddDevice(const Device& device);

// The folder tree. Names longer than 259 characters are cut, as no listing
// delivers longer ones.
int FolderCount();
// A new folder as an entry of parent; returns its number.
int AddFolder(int parent, const std::string& name, std::uint32_t attributes,
              bool identityReadable);
// An entry of parent that leads to the existing folder target.
void AddLink(int parent, const std::string& name, int target);
// An entry with nothing behind it: a file, or a folder that cannot be listed
// when attributes say directory.
void AddFile(int parent, const std::string& name, std::uint32_t attributes);
// "." and ".." in front of the folder's entries.
void AddDotEntries(int folder, int parent);

const Record& Result();

// Stops the run unless every device list, listing and buffer handed out was
// given back.
void CheckAllReleased();

}  // namespace pomvarin::fuzz
