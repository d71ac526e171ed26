// The in-memory platform of the logic's unit tests and of the fuzzers:
// devices, a folder graph (links and cycles included), a configuration, and
// a record of what the logic did with them. It produces what real parts
// cannot (error codes, properties that keep growing, allocations that fail,
// folders of two volumes), and it holds every call to the seam's rules as it
// happens: paths within the limit, handles live, one start per listed folder,
// no folder entered twice on one path. A broken rule stops the program with
// the rule's text, which fails a unit test and is a finding for a fuzzer.
//
// Pomvarin.ini: the unit tests' ReadProfileString (fake_profile.cc) answers
// from the exact values of State::profile, so that a test states what the
// reader delivers and depends on no reader's rules; the fuzzers link the real
// Linux reader instead and give it the fuzzed text as a file.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace pomvarin::fake {

// How a device answers a request for its hardware IDs.
enum class PropertyBehaviour {
  kIds,             // the ID list, with the usual size protocol
  kUnreadable,      // fails with an error other than "buffer too small"
  kKeepsGrowing,    // every request asks for 16 bytes more
  kHuge,            // asks for more memory than can be had
  kSameSizeAgain,   // asks again for the size it already got
  kWritesThenFails, // writes what fits of its list, then fails
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
  // Run. A current directory of 260 characters or more cannot be read.
  bool currentDirectoryReadable = true;
  std::string currentDirectory = "C:\\Disc";
  std::string configurationPath = "C:\\Disc\\Pomvarin.ini";
  // section -> key -> value, compared exactly.
  std::map<std::string, std::map<std::string, std::string>> profile;

  // Devices, in listing order, for any enumerator.
  bool deviceListAvailable = true;
  std::vector<Device> devices;
  bool allocationFails = false;
  // Larger allocations fail, as they would without the memory.
  std::uint32_t largestAllocation = 64 * 1024;

  // Folders.
  bool identityReadable = true;

  // What the logic did.
  std::vector<std::string> trace;
  std::vector<ProfileRead> profileReads;
  std::vector<Launch> launches;
  std::vector<std::string> warnings;  // "caption: text"
  std::vector<std::string> openedPatterns;
  int deviceListRequests = 0;
  int deviceListsOpened = 0;
  int deviceListsClosed = 0;
  int listingsOpened = 0;
  int listingsClosed = 0;
  int buffersAllocated = 0;
  int buffersReleased = 0;
  int propertyRequests = 0;
  int identitiesRead = 0;
};

// The one state the platform functions work on; Reset() before each run.
State& Current();
void Reset();

// Stops the program with the rule's text unless it holds.
void Require(bool holds, const char* rule);

// The folder graph. A folder is a node; an entry that is a folder points at
// a node, so two entries (a link) can point at the same one. Names longer
// than 259 characters are cut, as no listing delivers longer ones.
int AddFolder(const std::string& path);  // a root reachable by its path
int AddSubfolder(int parent, const std::string& name,
                 std::uint32_t attributes = platform::kAttributeDirectory);
void AddLink(int parent, const std::string& name, int target);
// An entry with nothing behind it: a file, or a folder that cannot be listed
// when the attributes say directory.
void AddFile(int parent, const std::string& name,
             std::uint32_t attributes = 0);
// Adds "." and ".." as the first two entries of the folder, as most
// listings do.
void AddDotEntries(int folder);
int FolderCount();
// The folder's identity cannot be read.
void MakeIdentityUnreadable(int folder);
// The folder's identity is {volume, file} instead of its own, which is
// {7, its node}: two volumes can hold equal file numbers.
void SetFolderIdentity(int folder, std::uint64_t volume, std::uint64_t file);

// Stops the program unless every device list, listing and buffer handed out
// was given back.
void CheckAllReleased();

}  // namespace pomvarin::fake
