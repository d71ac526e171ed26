// An in-memory platform for the logic's unit tests: devices, a folder graph
// (links and cycles included), a configuration file, and a record of what
// the logic did with them. It also produces what real parts cannot: error
// codes, properties that keep growing, allocations that fail.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace pomvarin::fake {

// How a device answers a request for its hardware IDs.
enum class PropertyBehaviour {
  kIds,             // the ID list, with the usual size protocol
  kUnreadable,      // fails with an error other than "buffer too small"
  kKeepsGrowing,    // every request asks for a larger buffer
  kSameSizeAgain,   // asks again for the size it already got
  kWritesThenFails, // writes its first ID into the buffer, then fails
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

struct ProfileRead {
  std::string section;
  std::string key;
  std::string path;
};

struct State {
  // Run.
  bool currentDirectoryReadable = true;
  std::string currentDirectory = "C:\\Disc";
  std::string configurationPath = "C:\\Disc\\Pomvarin.ini";
  // section -> key -> value, compared exactly.
  std::map<std::string, std::map<std::string, std::string>> profile;

  // Devices, in listing order, for the enumerator "PCI".
  bool deviceListAvailable = true;
  std::vector<Device> devices;
  bool allocationFails = false;

  // Folders.
  bool identityReadable = true;
  std::set<int> foldersWithoutIdentity;  // by node, besides the flag above

  // What the logic did.
  std::vector<std::string> trace;
  std::vector<ProfileRead> profileReads;
  std::vector<Launch> launches;
  std::vector<std::string> warnings;  // "caption: text"
  std::vector<std::string> openedPatterns;
  int deviceListsOpened = 0;
  int deviceListsClosed = 0;
  int listingsOpened = 0;
  int listingsClosed = 0;
  int buffersAllocated = 0;
  int buffersReleased = 0;
  int propertyRequests = 0;
  int identitiesRead = 0;
};

// The one state the fake platform functions work on; Reset() before each
// test.
State& Current();
void Reset();

// The folder graph. A folder is a node; an entry that is a folder points at
// a node, so two entries (a link) can point at the same one.
int AddFolder(const std::string& path);  // a root reachable by its path
int AddSubfolder(int parent, const std::string& name,
                 std::uint32_t attributes = platform::kAttributeDirectory);
void AddLink(int parent, const std::string& name, int target);
void AddFile(int parent, const std::string& name,
             std::uint32_t attributes = 0);
// Adds "." and ".." as the first two entries of the folder, as most
// listings do.
void AddDotEntries(int folder);

}  // namespace pomvarin::fake
