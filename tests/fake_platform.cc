#include "tests/fake_platform.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/indexed_record.h"

namespace pomvarin {

namespace {

constexpr std::size_t kLongestPath = kTextSize - 1;
// More platform calls than any run of a test or of a fuzz input needs: a
// run that makes them does not end.
constexpr long kCallBudget = 1000000;
constexpr std::uint32_t kFolderAttributes =
    platform::kAttributeDirectory | platform::kAttributeHidden;

struct Entry {
  std::string name;
  std::uint32_t attributes;
  int target;  // the folder node, or -1
};

struct Node {
  std::vector<Entry> entries;
  bool identityReadable;
  platform::FolderIdentity identity;
};

struct Buffer {
  unsigned char* bytes;
  std::uint32_t size;
};

}  // namespace

namespace platform {

struct DeviceListState {
  int unused;
};

struct ListingState {
  int node;
  std::string path;  // the pattern without its "\*"
  std::size_t next;  // entries delivered so far
  bool launched;
};

}  // namespace platform

namespace {

struct World {
  std::vector<Node> nodes;
  std::map<std::string, int> roots;
  std::vector<platform::DeviceListState*> liveDeviceLists;
  std::vector<platform::ListingState*> liveListings;
  std::vector<Buffer> liveBuffers;
  long calls = 0;
};

fake::State state;
World world;

void CountCall() {
  ++world.calls;
  fake::Require(world.calls <= kCallBudget, "the run ends");
}

void CheckPathLength(const char* path, const char* rule) {
  fake::Require(std::strlen(path) <= kLongestPath, rule);
}

void CopyText(Text& destination, const std::string& source) {
  const std::size_t length = std::min(source.size(), kLongestPath);
  std::memcpy(destination, source.data(), length);
  destination[length] = '\0';
}

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; }

bool EqualIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

// The entry of node named by the path's part after the "\" at at (names
// compared without case, as on Windows), or nullptr; at moves past the part.
const Entry* NextOnPath(int node, const std::string& path, std::size_t& at) {
  std::size_t end = path.find('\\', at + 1);
  if (end == std::string::npos) end = path.size();
  const std::string name = path.substr(at + 1, end - at - 1);
  at = end;
  for (const Entry& entry : world.nodes[node].entries) {
    if (EqualIgnoringCase(entry.name, name)) return &entry;
  }
  return nullptr;
}

// The node a path leads to: the longest root that starts it, then one
// entry per "\"-separated name; -1 when nothing is there or it is a file.
int Resolve(const std::string& path) {
  int node = -1;
  std::size_t at = 0;
  for (const auto& [rootPath, rootNode] : world.roots) {
    if (path.compare(0, rootPath.size(), rootPath) == 0 &&
        rootPath.size() >= at &&
        (path.size() == rootPath.size() || path[rootPath.size()] == '\\')) {
      node = rootNode;
      at = rootPath.size();
    }
  }
  while (node >= 0 && at < path.size()) {
    const Entry* entry = NextOnPath(node, path, at);
    node = entry ? entry->target : -1;
  }
  return node;
}

// Whether the way from the vendor folder (the search's first listing) down
// to the listing's folder passes a link. Only such a folder can be one
// already on the search path, so only there are identities needed.
bool BehindLink(const platform::ListingState* listing) {
  const platform::ListingState* vendor = world.liveListings.front();
  const std::string& path = listing->path;
  int node = vendor->node;
  std::size_t at = vendor->path.size();
  while (at < path.size()) {
    const Entry* entry = NextOnPath(node, path, at);
    if (!entry || entry->target < 0) return false;
    if (entry->attributes & platform::kAttributeLink) return true;
    node = entry->target;
  }
  return false;
}

bool IdentityReadable(int node) {
  return state.identityReadable && world.nodes[node].identityReadable;
}

// A listing is walked only while its folder is on the search path once: a
// folder reached again is to be closed before anything else happens. So is
// the vendor folder when its identity cannot be read, and a folder behind a
// link when its identity, or that of a folder above it, cannot be read.
void CheckEnteredFolder(const platform::ListingState* listing) {
  if (listing == world.liveListings.front() || BehindLink(listing)) {
    for (const platform::ListingState* above : world.liveListings) {
      fake::Require(IdentityReadable(above->node),
                    "a folder is entered only when the identities the guard "
                    "needs can be read");
      if (above == listing) break;
    }
  }
  for (const platform::ListingState* other : world.liveListings) {
    if (other != listing)
      fake::Require(other->node != listing->node,
                    "a folder on the search path is not entered again");
  }
}

void CheckEnteredFolders() {
  for (const platform::ListingState* listing : world.liveListings)
    CheckEnteredFolder(listing);
}

void Deliver(platform::ListingState* listing, platform::DirectoryEntry* entry) {
  const Entry& next = world.nodes[listing->node].entries[listing->next++];
  CopyText(entry->name, next.name);
  entry->attributes = next.attributes;
}

template <typename T>
bool IsLive(const std::vector<T*>& live, const T* item) {
  return std::find(live.begin(), live.end(), item) != live.end();
}

template <typename T>
void Forget(std::vector<T*>& live, const T* item) {
  live.erase(std::find(live.begin(), live.end(), item));
}

std::vector<Buffer>::iterator FindBuffer(const unsigned char* bytes) {
  return std::find_if(world.liveBuffers.begin(), world.liveBuffers.end(),
                      [&](const Buffer& b) { return b.bytes == bytes; });
}

int AddNode() {
  const int node = static_cast<int>(world.nodes.size());
  world.nodes.push_back({{}, true, {7, static_cast<std::uint64_t>(node)}});
  return node;
}

void AddEntry(int parent, const std::string& name, std::uint32_t attributes,
              int target) {
  world.nodes[parent].entries.push_back(
      {name.substr(0, kLongestPath), attributes, target});
}

}  // namespace

namespace platform {

void Trace(const char* text) {
  CountCall();
  state.trace.push_back(text);
}

bool ReadCurrentDirectory(Text& directory) {
  CountCall();
  if (!state.currentDirectoryReadable ||
      state.currentDirectory.size() > kLongestPath) {
    directory[0] = '\0';
    return false;
  }
  CopyText(directory, state.currentDirectory);
  return true;
}

// ReadProfileString: fake_profile.cc for the unit tests, the launcher's
// own forwarding to the Linux reader for the fuzzers.

void ShowWarning(const char* text, const char* caption) {
  CountCall();
  fake::Require(text && caption, "the warning has a text and a caption");
  state.warnings.push_back(std::string(caption) + ": " + text);
}

DeviceList OpenDeviceList(const SetupClass*, const char*) {
  CountCall();
  ++state.deviceListRequests;
  if (!state.deviceListAvailable) return nullptr;
  ++state.deviceListsOpened;
  auto* list = new DeviceListState{0};
  world.liveDeviceLists.push_back(list);
  return list;
}

bool EnumerateDevice(DeviceList list, std::uint32_t index,
                     DeviceRecord* device) {
  CountCall();
  fake::Require(IsLive(world.liveDeviceLists, list),
                "devices are enumerated on an open list");
  if (index >= state.devices.size()) return false;
  StoreRecordIndex(index, device);
  return true;
}

PropertyRead ReadDeviceProperty(DeviceList list, const DeviceRecord& device,
                                std::uint32_t property, unsigned char* buffer,
                                std::uint32_t size, std::uint32_t* required) {
  CountCall();
  ++state.propertyRequests;
  fake::Require(IsLive(world.liveDeviceLists, list),
                "a property is read on an open list");
  fake::Require(required != nullptr, "a property read asks for the size");
  fake::Require((buffer == nullptr) == (size == 0),
                "a property read hands a buffer exactly when it gives a size");
  if (buffer) {
    const auto held = FindBuffer(buffer);
    fake::Require(held != world.liveBuffers.end() && held->size >= size,
                  "a property buffer is an allocated one of at least its size");
  }
  const std::uint32_t index = RecordIndex(device);
  fake::Require(index < state.devices.size(),
                "a device record comes from EnumerateDevice");
  const fake::Device& fakeDevice = state.devices[index];
  if (property != kPropertyHardwareId) return PropertyRead::kFailed;

  std::string data;
  for (const std::string& id : fakeDevice.hardwareIds) data += id + '\0';
  data += '\0';
  const auto needed = static_cast<std::uint32_t>(data.size());
  switch (fakeDevice.behaviour) {
    case fake::PropertyBehaviour::kUnreadable:
      return PropertyRead::kFailed;
    case fake::PropertyBehaviour::kKeepsGrowing:
      *required = size + 16;
      return PropertyRead::kBufferTooSmall;
    case fake::PropertyBehaviour::kHuge:
      *required = 0xFFFFFFFF;
      return PropertyRead::kBufferTooSmall;
    case fake::PropertyBehaviour::kSameSizeAgain:
      *required = size == 0 ? needed : size;
      return PropertyRead::kBufferTooSmall;
    case fake::PropertyBehaviour::kWritesThenFails:
      if (size == 0) {
        *required = needed;
        return PropertyRead::kBufferTooSmall;
      }
      std::memcpy(buffer, data.data(), std::min(size, needed));
      return PropertyRead::kFailed;
    case fake::PropertyBehaviour::kIds:
      break;
  }
  *required = needed;
  if (size < needed) return PropertyRead::kBufferTooSmall;
  std::memcpy(buffer, data.data(), needed);
  return PropertyRead::kDone;
}

void CloseDeviceList(DeviceList list) {
  CountCall();
  fake::Require(IsLive(world.liveDeviceLists, list),
                "a device list is closed once");
  Forget(world.liveDeviceLists, list);
  ++state.deviceListsClosed;
  delete list;
}

unsigned char* AllocateZeroed(std::uint32_t size) {
  CountCall();
  if (state.allocationFails || size > state.largestAllocation) return nullptr;
  auto* bytes =
      static_cast<unsigned char*>(std::calloc(size == 0 ? 1 : size, 1));
  fake::Require(bytes != nullptr, "the in-memory platform has memory");
  world.liveBuffers.push_back({bytes, size});
  ++state.buffersAllocated;
  return bytes;
}

void Release(unsigned char* buffer) {
  CountCall();
  const auto held = FindBuffer(buffer);
  fake::Require(held != world.liveBuffers.end(),
                "a released buffer is an allocated one, released once");
  world.liveBuffers.erase(held);
  ++state.buffersReleased;
  std::free(buffer);
}

Listing OpenListing(const char* pattern, DirectoryEntry* first) {
  CountCall();
  CheckPathLength(pattern, "a listed pattern fits in 259 characters");
  CheckEnteredFolders();
  state.openedPatterns.push_back(pattern);
  std::string folder = pattern;
  fake::Require(folder.size() >= 2 &&
                    folder.compare(folder.size() - 2, 2, "\\*") == 0,
                "a listing pattern is a folder followed by \\*");
  folder.resize(folder.size() - 2);
  const int node = Resolve(folder);
  if (node < 0 || world.nodes[node].entries.empty()) return nullptr;
  auto* listing = new ListingState{node, folder, 0, false};
  world.liveListings.push_back(listing);
  ++state.listingsOpened;
  Deliver(listing, first);
  return listing;
}

bool NextEntry(Listing listing, DirectoryEntry* entry) {
  CountCall();
  fake::Require(IsLive(world.liveListings, listing),
                "entries come from an open listing");
  CheckEnteredFolder(listing);
  if (listing->next >= world.nodes[listing->node].entries.size()) return false;
  Deliver(listing, entry);
  return true;
}

void CloseListing(Listing listing) {
  CountCall();
  fake::Require(IsLive(world.liveListings, listing),
                "a listing is closed once");
  Forget(world.liveListings, listing);
  ++state.listingsClosed;
  delete listing;
}

bool ReadFolderIdentity(const char* path, FolderIdentity* identity) {
  CountCall();
  CheckPathLength(path,
                  "a folder whose identity is read fits in 259 characters");
  ++state.identitiesRead;
  const int node = Resolve(path);
  if (node < 0 || !IdentityReadable(node)) return false;
  *identity = world.nodes[node].identity;
  return true;
}

void StartProgram(const char* path, const char* parameters, ShowCommand show) {
  CountCall();
  CheckPathLength(path, "a started path fits in 259 characters");
  CheckEnteredFolders();
  fake::Require(!world.liveListings.empty(),
                "a program is started from a listed folder");
  ListingState* listing = world.liveListings.back();
  fake::Require(!listing->launched, "at most one start per listed folder");
  listing->launched = true;

  const std::string started = path;
  const std::string& folder = listing->path;
  fake::Require(started.size() > folder.size() + 1 &&
                    started.compare(0, folder.size(), folder) == 0 &&
                    started[folder.size()] == '\\',
                "a started path is its folder's path, a backslash and a name");
  const std::string name = started.substr(folder.size() + 1);
  const std::vector<Entry>& entries = world.nodes[listing->node].entries;
  bool listed = false;
  for (std::size_t i = 0; i < listing->next; ++i) {
    if (entries[i].name == name && (entries[i].attributes & kFolderAttributes) == 0)
      listed = true;
  }
  fake::Require(listed,
                "only a listed file that is neither hidden nor a folder starts");
  state.launches.push_back({started, parameters, show});
}

}  // namespace platform

namespace fake {

State& Current() { return state; }

void Require(bool holds, const char* rule) {
  if (holds) return;
  std::fprintf(stderr, "platform rule broken: %s\n", rule);
  std::abort();
}

// A run that left anything open stops at CheckAllReleased; what a unit test
// leaves open is freed with the process.
void Reset() {
  state = State();
  world = World();
}

int AddFolder(const std::string& path) {
  const int node = AddNode();
  world.roots[path] = node;
  return node;
}

int AddSubfolder(int parent, const std::string& name,
                 std::uint32_t attributes) {
  const int node = AddNode();
  AddEntry(parent, name, attributes, node);
  return node;
}

void AddLink(int parent, const std::string& name, int target) {
  AddEntry(parent, name,
           platform::kAttributeDirectory | platform::kAttributeLink, target);
}

void AddFile(int parent, const std::string& name, std::uint32_t attributes) {
  AddEntry(parent, name, attributes, -1);
}

void AddDotEntries(int folder) {
  auto& entries = world.nodes[folder].entries;
  entries.insert(entries.begin(), {{".", platform::kAttributeDirectory, folder},
                                   {"..", platform::kAttributeDirectory, -1}});
}

int FolderCount() { return static_cast<int>(world.nodes.size()); }

void MakeIdentityUnreadable(int folder) {
  world.nodes[folder].identityReadable = false;
}

void SetFolderIdentity(int folder, std::uint64_t volume, std::uint64_t file) {
  world.nodes[folder].identity = {volume, file};
}

void CheckAllReleased() {
  Require(world.liveDeviceLists.empty() &&
              state.deviceListsOpened == state.deviceListsClosed,
          "every device list is closed");
  Require(world.liveListings.empty() &&
              state.listingsOpened == state.listingsClosed,
          "every listing is closed");
  Require(world.liveBuffers.empty() &&
              state.buffersAllocated == state.buffersReleased,
          "every buffer is released");
}

}  // namespace fake
}  // namespace pomvarin
