#include "tests/fake_platform.h"

#include <cstdlib>
#include <cstring>

namespace pomvarin {

namespace {

struct Entry {
  std::string name;
  std::uint32_t attributes;
  int target;  // the folder node, or -1 for a file
};

struct Node {
  std::vector<Entry> entries;
};

struct Graph {
  std::vector<Node> nodes;
  std::map<std::string, int> roots;
};

fake::State state;
Graph graph;

void CopyText(Text& destination, const std::string& source) {
  std::size_t length = source.size() < kTextSize - 1 ? source.size()
                                                     : kTextSize - 1;
  std::memcpy(destination, source.data(), length);
  destination[length] = '\0';
}

bool EqualIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x += 'a' - 'A';
    if (y >= 'A' && y <= 'Z') y += 'a' - 'A';
    if (x != y) return false;
  }
  return true;
}

// The node a path leads to: the longest root that starts it, then one
// entry per "\"-separated name; -1 when nothing is there or it is a file.
int Resolve(const std::string& path) {
  int node = -1;
  std::size_t used = 0;
  for (const auto& [rootPath, rootNode] : graph.roots) {
    if (path.compare(0, rootPath.size(), rootPath) == 0 &&
        rootPath.size() >= used &&
        (path.size() == rootPath.size() || path[rootPath.size()] == '\\')) {
      node = rootNode;
      used = rootPath.size();
    }
  }
  while (node >= 0 && used < path.size()) {
    std::size_t start = used + 1;
    std::size_t end = path.find('\\', start);
    if (end == std::string::npos) end = path.size();
    std::string name = path.substr(start, end - start);
    int next = -1;
    bool found = false;
    for (const Entry& entry : graph.nodes[node].entries) {
      if (EqualIgnoringCase(entry.name, name)) {
        next = entry.target;
        found = true;
        break;
      }
    }
    if (!found) return -1;
    node = next;
    used = end;
  }
  return node;
}

}  // namespace

namespace platform {

struct DeviceListState {
  int unused;
};

struct ListingState {
  int node;
  std::size_t next;
};

void Trace(const char* text) { state.trace.push_back(text); }

bool ReadCurrentDirectory(Text& directory) {
  if (!state.currentDirectoryReadable) {
    directory[0] = '\0';
    return false;
  }
  CopyText(directory, state.currentDirectory);
  return true;
}

void ReadProfileString(const char* section, const char* key,
                       const char* fallback, Text& value, const char* path) {
  state.profileReads.push_back({section, key, path});
  CopyText(value, fallback);
  if (path != state.configurationPath) return;
  auto sectionIt = state.profile.find(section);
  if (sectionIt == state.profile.end()) return;
  auto keyIt = sectionIt->second.find(key);
  if (keyIt == sectionIt->second.end()) return;
  CopyText(value, keyIt->second);
}

void ShowWarning(const char* text, const char* caption) {
  state.warnings.push_back(std::string(caption) + ": " + text);
}

DeviceList OpenDeviceList(const SetupClass*, const char* enumerator) {
  if (!state.deviceListAvailable) return nullptr;
  ++state.deviceListsOpened;
  static DeviceListState list;
  (void)enumerator;
  return &list;
}

bool EnumerateDevice(DeviceList, std::uint32_t index, DeviceRecord* device) {
  if (index >= state.devices.size()) return false;
  std::memcpy(device->bytes, &index, sizeof index);
  return true;
}

PropertyRead ReadDeviceProperty(DeviceList, const DeviceRecord& device,
                                std::uint32_t property, unsigned char* buffer,
                                std::uint32_t size, std::uint32_t* required) {
  ++state.propertyRequests;
  std::uint32_t index;
  std::memcpy(&index, device.bytes, sizeof index);
  const fake::Device& fakeDevice = state.devices.at(index);
  if (property != kPropertyHardwareId) return PropertyRead::kFailed;

  std::string data;
  for (const std::string& id : fakeDevice.hardwareIds) data += id + '\0';
  data += '\0';
  const auto needed = static_cast<std::uint32_t>(data.size());

  switch (fakeDevice.behaviour) {
    case fake::PropertyBehaviour::kUnreadable:
      *required = 0;
      return PropertyRead::kFailed;
    case fake::PropertyBehaviour::kKeepsGrowing:
      *required = size + 16;
      return PropertyRead::kBufferTooSmall;
    case fake::PropertyBehaviour::kSameSizeAgain:
      *required = size == 0 ? needed : size;
      return PropertyRead::kBufferTooSmall;
    case fake::PropertyBehaviour::kWritesThenFails:
      if (size == 0) {
        *required = needed;
        return PropertyRead::kBufferTooSmall;
      }
      std::memcpy(buffer, data.data(), size < needed ? size : needed);
      return PropertyRead::kFailed;
    case fake::PropertyBehaviour::kIds:
      break;
  }
  *required = needed;
  if (size < needed) return PropertyRead::kBufferTooSmall;
  std::memcpy(buffer, data.data(), needed);
  return PropertyRead::kDone;
}

void CloseDeviceList(DeviceList) { ++state.deviceListsClosed; }

unsigned char* AllocateZeroed(std::uint32_t size) {
  if (state.allocationFails) return nullptr;
  ++state.buffersAllocated;
  return static_cast<unsigned char*>(std::calloc(size == 0 ? 1 : size, 1));
}

void Release(unsigned char* buffer) {
  ++state.buffersReleased;
  std::free(buffer);
}

Listing OpenListing(const char* pattern, DirectoryEntry* first) {
  state.openedPatterns.push_back(pattern);
  std::string folder = pattern;
  if (folder.size() < 2 || folder.compare(folder.size() - 2, 2, "\\*") != 0)
    return nullptr;
  folder.resize(folder.size() - 2);
  int node = Resolve(folder);
  if (node < 0 || graph.nodes[node].entries.empty()) return nullptr;
  ++state.listingsOpened;
  auto* listing = new ListingState{node, 0};
  NextEntry(listing, first);
  return listing;
}

bool NextEntry(Listing listing, DirectoryEntry* entry) {
  const Node& node = graph.nodes[listing->node];
  if (listing->next >= node.entries.size()) return false;
  const Entry& next = node.entries[listing->next++];
  CopyText(entry->name, next.name);
  entry->attributes = next.attributes;
  return true;
}

void CloseListing(Listing listing) {
  ++state.listingsClosed;
  delete listing;
}

bool ReadFolderIdentity(const char* path, FolderIdentity* identity) {
  ++state.identitiesRead;
  if (!state.identityReadable) return false;
  int node = Resolve(path);
  if (node < 0 || state.foldersWithoutIdentity.count(node)) return false;
  *identity = {7, static_cast<std::uint64_t>(node)};
  return true;
}

void StartProgram(const char* path, const char* parameters, ShowCommand show) {
  state.launches.push_back({path, parameters, show});
}

}  // namespace platform

namespace fake {

State& Current() { return state; }

void Reset() {
  state = State();
  graph = Graph();
}

int AddFolder(const std::string& path) {
  graph.nodes.push_back({});
  int node = static_cast<int>(graph.nodes.size()) - 1;
  graph.roots[path] = node;
  return node;
}

int AddSubfolder(int parent, const std::string& name,
                 std::uint32_t attributes) {
  graph.nodes.push_back({});
  int node = static_cast<int>(graph.nodes.size()) - 1;
  graph.nodes[parent].entries.push_back({name, attributes, node});
  return node;
}

void AddLink(int parent, const std::string& name, int target) {
  graph.nodes[parent].entries.push_back(
      {name, platform::kAttributeDirectory | platform::kAttributeLink,
       target});
}

void AddFile(int parent, const std::string& name, std::uint32_t attributes) {
  graph.nodes[parent].entries.push_back({name, attributes, -1});
}

void AddDotEntries(int folder) {
  auto& entries = graph.nodes[folder].entries;
  entries.insert(entries.begin(), {{".", platform::kAttributeDirectory, folder},
                                   {"..", platform::kAttributeDirectory, -1}});
}

}  // namespace fake
}  // namespace pomvarin
