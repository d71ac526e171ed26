#include "fuzz/fuzz_platform.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/mman.h>
#include <unistd.h>

#include "fuzz/fuzz_input.h"
#include "platform/posix/posix_common.h"

namespace pomvarin {

namespace {

constexpr std::size_t kLongestPath = kTextSize - 1;
// More platform calls than any input within the fuzz target's bounds needs:
// a run that makes them does not end.
constexpr long kCallBudget = 1000000;
// Larger requests fail as an allocation without memory would.
constexpr std::uint32_t kLargestAllocation = 64 * 1024;
constexpr std::uint32_t kFolderAttributes =
    platform::kAttributeDirectory | platform::kAttributeHidden;

struct Entry {
  std::string name;
  std::uint32_t attributes;
  int target;  // the folder behind the entry, or -1
};

struct Folder {
  std::vector<Entry> entries;
  bool identityReadable;
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
  int folder;
  std::string path;  // the pattern without its "\*"
  std::size_t next;  // entries delivered so far
  bool launched;
};

}  // namespace platform

namespace {

struct World {
  std::string currentDirectory;
  std::vector<Folder> folders;
  bool deviceListAvailable = true;
  std::vector<fuzz::Device> devices;
  fuzz::Record record;
  std::vector<platform::DeviceListState*> liveDeviceLists;
  std::vector<platform::ListingState*> liveListings;
  std::vector<Buffer> liveBuffers;
  long calls = 0;
};

World world;
// The in-memory file that holds the configuration text; made once.
int configurationFile = -1;

void CountCall() {
  ++world.calls;
  fuzz::Require(world.calls <= kCallBudget, "the run ends");
}

void CheckPathLength(const char* path, const char* what) {
  fuzz::Require(std::strlen(path) <= kLongestPath, what);
}

bool EqualIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() &&
         fuzz::LowerAsciiText(a) == fuzz::LowerAsciiText(b);
}

// The entry of folder named by the path's part after the "\\" at at (names
// compared without case, as on Windows), or nullptr; at moves past the part.
const Entry* NextOnPath(int folder, const std::string& path, std::size_t& at) {
  std::size_t end = path.find('\\', at + 1);
  if (end == std::string::npos) end = path.size();
  const std::string name = path.substr(at + 1, end - at - 1);
  at = end;
  const std::vector<Entry>& entries = world.folders[folder].entries;
  auto entry = std::find_if(
      entries.begin(), entries.end(),
      [&](const Entry& e) { return EqualIgnoringCase(e.name, name); });
  return entry == entries.end() ? nullptr : &*entry;
}

// The folder a path leads to, names compared without case as on Windows;
// -1 when it leads to no folder.
int Resolve(const std::string& path) {
  const std::string& root = world.currentDirectory;
  if (path.size() < root.size() ||
      !EqualIgnoringCase(path.substr(0, root.size()), root))
    return -1;
  int folder = 0;
  std::size_t at = root.size();
  while (at < path.size()) {
    if (path[at] != '\\') return -1;
    const Entry* entry = NextOnPath(folder, path, at);
    if (!entry || entry->target < 0) return -1;
    folder = entry->target;
  }
  return folder;
}

// Whether the way from the vendor folder (the search's first listing) down
// to the listing's folder passes a link. Only such a folder can be one
// already on the search path, so only there are identities needed.
bool BehindLink(const platform::ListingState* listing) {
  const platform::ListingState* vendor = world.liveListings.front();
  const std::string& path = listing->path;
  int folder = vendor->folder;
  std::size_t at = vendor->path.size();
  while (at < path.size()) {
    const Entry* entry = NextOnPath(folder, path, at);
    if (!entry || entry->target < 0) return false;
    if (entry->attributes & platform::kAttributeLink) return true;
    folder = entry->target;
  }
  return false;
}

// A listing is walked only while its folder is on the search path once: a
// folder reached again is to be closed before anything else happens. So is
// the vendor folder when its identity cannot be read, and a folder behind a
// link when its identity, or that of a folder above it, cannot be read.
void CheckEnteredFolder(const platform::ListingState* listing) {
  if (listing == world.liveListings.front() || BehindLink(listing)) {
    for (const platform::ListingState* above : world.liveListings) {
      fuzz::Require(world.folders[above->folder].identityReadable,
                    "a folder is entered only when the identities the guard "
                    "needs can be read");
      if (above == listing) break;
    }
  }
  for (const platform::ListingState* other : world.liveListings) {
    if (other != listing)
      fuzz::Require(other->folder != listing->folder,
                    "a folder on the search path is not entered again");
  }
}

void CheckEnteredFolders() {
  for (const platform::ListingState* listing : world.liveListings)
    CheckEnteredFolder(listing);
}

void Deliver(platform::ListingState* listing, platform::DirectoryEntry* entry) {
  const Entry& next = world.folders[listing->folder].entries[listing->next++];
  std::memcpy(entry->name, next.name.c_str(), next.name.size() + 1);
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

std::string CutName(const std::string& name) {
  return name.substr(0, kLongestPath);
}

}  // namespace

namespace platform {

void Trace(const char* text) {
  CountCall();
  world.record.trace.push_back(text);
}

bool ReadCurrentDirectory(Text& directory) {
  CountCall();
  if (world.currentDirectory.size() > kLongestPath) {
    directory[0] = '\0';
    return false;
  }
  std::memcpy(directory, world.currentDirectory.c_str(),
              world.currentDirectory.size() + 1);
  return true;
}

// ReadProfileString is the Linux reader's own, from profile_reader.cc.

void ShowWarning(const char* text, const char* caption) {
  CountCall();
  fuzz::Require(text && caption, "the warning has a text and a caption");
  ++world.record.warnings;
}

DeviceList OpenDeviceList(const SetupClass*, const char*) {
  CountCall();
  ++world.record.deviceListRequests;
  if (!world.deviceListAvailable) return nullptr;
  ++world.record.deviceListsOpened;
  auto* list = new DeviceListState{0};
  world.liveDeviceLists.push_back(list);
  return list;
}

bool EnumerateDevice(DeviceList list, std::uint32_t index,
                     DeviceRecord* device) {
  CountCall();
  fuzz::Require(IsLive(world.liveDeviceLists, list),
                "devices are enumerated on an open list");
  if (index >= world.devices.size()) return false;
  std::memset(device->bytes, 0, sizeof device->bytes);
  std::memcpy(device->bytes, &index, sizeof index);
  return true;
}

PropertyRead ReadDeviceProperty(DeviceList list, const DeviceRecord& device,
                                std::uint32_t property, unsigned char* buffer,
                                std::uint32_t size, std::uint32_t* required) {
  CountCall();
  fuzz::Require(IsLive(world.liveDeviceLists, list),
                "a property is read on an open list");
  fuzz::Require(required != nullptr, "a property read asks for the size");
  fuzz::Require((buffer == nullptr) == (size == 0),
                "a property read hands a buffer exactly when it gives a size");
  if (buffer) {
    auto held = std::find_if(
        world.liveBuffers.begin(), world.liveBuffers.end(),
        [&](const Buffer& b) { return b.bytes == buffer; });
    fuzz::Require(held != world.liveBuffers.end() && held->size >= size,
                  "a property buffer is an allocated one of at least its size");
  }
  std::uint32_t index;
  std::memcpy(&index, device.bytes, sizeof index);
  fuzz::Require(index < world.devices.size(),
                "a device record comes from EnumerateDevice");
  const fuzz::Device& fuzzDevice = world.devices[index];
  if (property != kPropertyHardwareId) return PropertyRead::kFailed;

  std::string data;
  for (const std::string& id : fuzzDevice.hardwareIds) data += id + '\0';
  data += '\0';
  const auto needed = static_cast<std::uint32_t>(data.size());
  switch (fuzzDevice.behaviour) {
    case fuzz::PropertyBehaviour::kUnreadable:
      return PropertyRead::kFailed;
    case fuzz::PropertyBehaviour::kKeepsGrowing:
      *required = size + 16;
      return PropertyRead::kBufferTooSmall;
    case fuzz::PropertyBehaviour::kHuge:
      *required = 0xFFFFFFFF;
      return PropertyRead::kBufferTooSmall;
    case fuzz::PropertyBehaviour::kSameSizeAgain:
      *required = size == 0 ? needed : size;
      return PropertyRead::kBufferTooSmall;
    case fuzz::PropertyBehaviour::kWritesThenFails:
      if (size == 0) {
        *required = needed;
        return PropertyRead::kBufferTooSmall;
      }
      std::memcpy(buffer, data.data(), std::min(size, needed));
      return PropertyRead::kFailed;
    case fuzz::PropertyBehaviour::kIds:
      break;
  }
  *required = needed;
  if (size < needed) return PropertyRead::kBufferTooSmall;
  std::memcpy(buffer, data.data(), needed);
  return PropertyRead::kDone;
}

void CloseDeviceList(DeviceList list) {
  CountCall();
  fuzz::Require(IsLive(world.liveDeviceLists, list),
                "a device list is closed once");
  Forget(world.liveDeviceLists, list);
  ++world.record.deviceListsClosed;
  delete list;
}

unsigned char* AllocateZeroed(std::uint32_t size) {
  CountCall();
  if (size > kLargestAllocation) return nullptr;
  auto* bytes = static_cast<unsigned char*>(std::calloc(size == 0 ? 1 : size, 1));
  fuzz::Require(bytes != nullptr, "the fuzz platform has memory");
  world.liveBuffers.push_back({bytes, size});
  ++world.record.buffersAllocated;
  return bytes;
}

void Release(unsigned char* buffer) {
  CountCall();
  auto held = std::find_if(world.liveBuffers.begin(), world.liveBuffers.end(),
                           [&](const Buffer& b) { return b.bytes == buffer; });
  fuzz::Require(held != world.liveBuffers.end(),
                "a released buffer is an allocated one, released once");
  world.liveBuffers.erase(held);
  ++world.record.buffersReleased;
  std::free(buffer);
}

Listing OpenListing(const char* pattern, DirectoryEntry* first) {
  CountCall();
  CheckPathLength(pattern, "a listed pattern fits in 259 characters");
  CheckEnteredFolders();
  std::string folderPath = pattern;
  fuzz::Require(folderPath.size() >= 2 &&
                    folderPath.compare(folderPath.size() - 2, 2, "\\*") == 0,
                "a listing pattern is a folder followed by \\*");
  folderPath.resize(folderPath.size() - 2);
  const int folder = Resolve(folderPath);
  if (folder < 0 || world.folders[folder].entries.empty()) return nullptr;
  auto* listing = new ListingState{folder, folderPath, 0, false};
  world.liveListings.push_back(listing);
  ++world.record.listingsOpened;
  Deliver(listing, first);
  return listing;
}

bool NextEntry(Listing listing, DirectoryEntry* entry) {
  CountCall();
  fuzz::Require(IsLive(world.liveListings, listing),
                "entries come from an open listing");
  CheckEnteredFolder(listing);
  if (listing->next >= world.folders[listing->folder].entries.size())
    return false;
  Deliver(listing, entry);
  return true;
}

void CloseListing(Listing listing) {
  CountCall();
  fuzz::Require(IsLive(world.liveListings, listing),
                "a listing is closed once");
  Forget(world.liveListings, listing);
  ++world.record.listingsClosed;
  delete listing;
}

bool ReadFolderIdentity(const char* path, FolderIdentity* identity) {
  CountCall();
  CheckPathLength(path, "a folder whose identity is read fits in 259 characters");
  const int folder = Resolve(path);
  if (folder < 0 || !world.folders[folder].identityReadable) return false;
  *identity = {1, static_cast<std::uint64_t>(folder)};
  return true;
}

void StartProgram(const char* path, const char* parameters, ShowCommand show) {
  CountCall();
  CheckPathLength(path, "a started path fits in 259 characters");
  CheckEnteredFolders();
  fuzz::Require(!world.liveListings.empty(),
                "a program is started from a listed folder");
  ListingState* listing = world.liveListings.back();
  fuzz::Require(!listing->launched, "at most one start per listed folder");
  listing->launched = true;

  const std::string started = path;
  const std::string& folderPath = listing->path;
  fuzz::Require(started.size() > folderPath.size() + 1 &&
                    started.compare(0, folderPath.size(), folderPath) == 0 &&
                    started[folderPath.size()] == '\\',
                "a started path is its folder's path, a backslash and a name");
  const std::string name = started.substr(folderPath.size() + 1);
  const std::vector<Entry>& entries = world.folders[listing->folder].entries;
  bool listed = false;
  for (std::size_t i = 0; i < listing->next; ++i) {
    if (entries[i].name == name && (entries[i].attributes & kFolderAttributes) == 0)
      listed = true;
  }
  fuzz::Require(listed,
                "only a listed file that is neither hidden nor a folder starts");
  world.record.launches.push_back({started, parameters, show});
}

namespace posix {

// The configuration path, the only one the reader is asked for, is the
// in-memory file.
bool ToPosixPath(const char* path, PosixPath& posixPath) {
  CountCall();
  CheckPathLength(path, "the configuration path fits in 259 characters");
  fuzz::Require(path == world.currentDirectory + "\\Pomvarin.ini",
                "the configuration is read from the current directory");
  std::snprintf(posixPath, sizeof posixPath, "/proc/self/fd/%d",
                configurationFile);
  return true;
}

}  // namespace posix
}  // namespace platform

namespace fuzz {

namespace {

void WriteConfiguration(const std::string& text) {
  if (configurationFile < 0)
    configurationFile = memfd_create("Pomvarin.ini", MFD_CLOEXEC);
  Require(configurationFile >= 0, "an in-memory file can be made");
  Require(ftruncate(configurationFile, 0) == 0, "the in-memory file empties");
  std::size_t written = 0;
  while (written < text.size()) {
    const ssize_t got = pwrite(configurationFile, text.data() + written,
                               text.size() - written,
                               static_cast<off_t>(written));
    Require(got > 0, "the in-memory file takes the configuration");
    written += static_cast<std::size_t>(got);
  }
}

}  // namespace

// A run that left anything open stopped at CheckAllReleased, so nothing
// is left to free here.
void Reset(const std::string& currentDirectory,
           const std::string& configuration) {
  world = World();
  world.currentDirectory = currentDirectory;
  world.folders.push_back({{}, true});
  WriteConfiguration(configuration);
}

void SetDeviceListAvailable(bool available) {
  world.deviceListAvailable = available;
}

void AddDevice(const Device& device) { world.devices.push_back(device); }

int FolderCount() { return static_cast<int>(world.folders.size()); }

int AddFolder(int parent, const std::string& name, std::uint32_t attributes,
              bool identityReadable) {
  world.folders.push_back({{}, identityReadable});
  const int folder = FolderCount() - 1;
  world.folders[parent].entries.push_back({CutName(name), attributes, folder});
  return folder;
}

void AddLink(int parent, const std::string& name, int target) {
  world.folders[parent].entries.push_back(
      {CutName(name), platform::kAttributeDirectory | platform::kAttributeLink,
       target});
}

void AddFile(int parent, const std::string& name, std::uint32_t attributes) {
  world.folders[parent].entries.push_back({CutName(name), attributes, -1});
}

void AddDotEntries(int folder, int parent) {
  std::vector<Entry>& entries = world.folders[folder].entries;
  entries.insert(entries.begin(),
                 {{".", platform::kAttributeDirectory, folder},
                  {"..", platform::kAttributeDirectory, parent}});
}

const Record& Result() { return world.record; }

void CheckAllReleased() {
  const Record& r = world.record;
  Require(world.liveDeviceLists.empty() &&
              r.deviceListsOpened == r.deviceListsClosed,
          "every device list is closed");
  Require(world.liveListings.empty() && r.listingsOpened == r.listingsClosed,
          "every listing is closed");
  Require(world.liveBuffers.empty() && r.buffersAllocated == r.buffersReleased,
          "every buffer is released");
}

}  // namespace fuzz
}  // namespace pomvarin
