// The whole run, pomvarin::WinMain, on the in-memory platform of the unit
// tests (tests/fake_platform.h), whose rules hold every platform call. Its
// Pomvarin.ini is read by the real Linux reader (profile_reader.cc) from an
// in-memory file, so fuzzed text meets the rules the product reads by.
//
// Input: five pieces separated by NUL bytes (the last holds the rest):
//   1. the command line without the program's name;
//   2. the current directory (260 characters or more: it cannot be read);
//   3. the devices: "#" first when the device list cannot be had, else one
//      device a line (at most 8), a behaviour character then hardware IDs
//      separated by "|" (at most 4). Behaviours: "!" unreadable, "+" keeps
//      asking for more, ">" asks for more than can be had, "=" asks for the
//      same size again, "~" writes its IDs then fails; anything else reads
//      normally;
//   4. the folder tree below the current directory (folder 0), one entry a
//      line (at most 16): a character choosing the parent folder ("0" is 0,
//      "1" is 1, ..., modulo the folders made so far), a kind, a name. Kinds:
//      "d" folder, "h" hidden folder, "u" folder whose identity cannot be
//      read, "f" file, "s" hidden file, "l" link (the first name character
//      chooses the folder it leads to, as for parents), "." adds "." and
//      "..". Any other kind byte is an entry with that byte as its
//      attributes and nothing behind it. Empty names are skipped, and so
//      is a name its folder already holds in any case, as no file system
//      the launcher runs on holds two;
//   5. the text of Pomvarin.ini.
//
// Checks after the run, besides those the platform makes on every call:
// WinMain returns 0, everything handed out is given back, both case passes
// of every configured vendor ask for the devices, the warning appears
// exactly when nothing could match and nothing started, and the starts are
// hidden exactly in the silent mode.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include <sys/mman.h>
#include <unistd.h>

#include "fuzz/fuzz_input.h"
#include "launcher/launcher.h"
#include "platform/posix/posix_common.h"
#include "platform/posix/profile_reader.h"
#include "tests/fake_platform.h"

namespace pomvarin {

namespace {

// The in-memory file that holds the configuration text; made once.
int configurationFile = -1;

void WriteConfiguration(const std::string& text) {
  if (configurationFile < 0)
    configurationFile = memfd_create("Pomvarin.ini", MFD_CLOEXEC);
  fuzz::Require(configurationFile >= 0, "an in-memory file can be made");
  fuzz::Require(ftruncate(configurationFile, 0) == 0,
                "the in-memory file empties");
  std::size_t written = 0;
  while (written < text.size()) {
    const ssize_t got = pwrite(configurationFile, text.data() + written,
                               text.size() - written,
                               static_cast<off_t>(written));
    fuzz::Require(got > 0, "the in-memory file takes the configuration");
    written += static_cast<std::size_t>(got);
  }
}

}  // namespace

// The configuration path, the only one the reader is asked for, is the
// in-memory file.
bool platform::posix::ToPosixPath(const char* path, PosixPath& posixPath) {
  const std::string& directory = fake::Current().currentDirectory;
  fuzz::Require(std::strlen(path) <= kTextSize - 1,
                "the configuration path fits in 259 characters");
  fuzz::Require(path == directory + "\\Pomvarin.ini",
                "the configuration is read from the current directory");
  std::snprintf(posixPath, sizeof posixPath, "/proc/self/fd/%d",
                configurationFile);
  return true;
}

}  // namespace pomvarin

namespace pomvarin::fuzz {
namespace {

using fake::Device;
using fake::Launch;
using fake::PropertyBehaviour;

constexpr std::size_t kMostDevices = 8;
constexpr std::size_t kMostIds = 4;
constexpr std::size_t kMostEntries = 16;
// Bounds the work of one run: every vendor walks the whole tree.
constexpr std::int32_t kMostVendors = 8;
const char kConfigurationName[] = "Pomvarin.ini";

std::vector<std::string> Split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::size_t at = 0;
  for (;;) {
    const std::size_t end = text.find(separator, at);
    parts.push_back(text.substr(at, end - at));
    if (end == std::string::npos) return parts;
    at = end + 1;
  }
}

PropertyBehaviour BehaviourOf(char c) {
  switch (c) {
    case '!': return PropertyBehaviour::kUnreadable;
    case '+': return PropertyBehaviour::kKeepsGrowing;
    case '>': return PropertyBehaviour::kHuge;
    case '=': return PropertyBehaviour::kSameSizeAgain;
    case '~': return PropertyBehaviour::kWritesThenFails;
    default: return PropertyBehaviour::kIds;
  }
}

// Returns whether some device shows a first hardware ID holding "PCI": only
// then can a vendor match.
bool AddDevices(const std::string& text) {
  if (!text.empty() && text[0] == '#') {
    fake::Current().deviceListAvailable = false;
    return false;
  }
  bool canMatch = false;
  std::vector<std::string> lines = Split(text, '\n');
  if (lines.size() > kMostDevices) lines.resize(kMostDevices);
  for (const std::string& line : lines) {
    if (line.empty()) continue;
    Device device;
    device.behaviour = BehaviourOf(line[0]);
    device.hardwareIds = Split(line.substr(1), '|');
    if (device.hardwareIds.size() > kMostIds) device.hardwareIds.resize(kMostIds);
    const bool readable =
        device.behaviour == PropertyBehaviour::kIds ||
        device.behaviour == PropertyBehaviour::kWritesThenFails;
    if (readable && device.hardwareIds[0].find("PCI") != std::string::npos)
      canMatch = true;
    fake::Current().devices.push_back(device);
  }
  return canMatch;
}

int ChooseFolder(char c) {
  return static_cast<unsigned char>(c - '0') % fake::FolderCount();
}

// A folder's names as Windows compares them, ASCII case ignored.
std::string NameKey(int folder, std::string name) {
  for (char& c : name) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return std::to_string(folder) + '/' + name;
}

void AddTree(const std::string& text) {
  std::vector<std::string> lines = Split(text, '\n');
  if (lines.size() > kMostEntries) lines.resize(kMostEntries);
  std::set<std::string> taken;
  for (const std::string& line : lines) {
    if (line.size() < 2) continue;
    const int parent = ChooseFolder(line[0]);
    const char kind = line[1];
    std::string name = line.substr(2);
    if (kind == '.') {
      if (taken.insert(NameKey(parent, ".")).second)
        fake::AddDotEntries(parent);
      continue;
    }
    // A link's first name character chooses its target; the rest names it.
    std::string entryName = name;
    if (kind == 'l') entryName = name.size() < 2 ? "" : name.substr(1);
    if (entryName.empty() || entryName == "." || entryName == ".." ||
        !taken.insert(NameKey(parent, entryName)).second)
      continue;
    if (kind == 'l') {
      fake::AddLink(parent, entryName, ChooseFolder(name[0]));
      continue;
    }
    switch (kind) {
      case 'd':
      case 'h':
      case 'u': {
        const std::uint32_t attributes =
            platform::kAttributeDirectory |
            (kind == 'h' ? platform::kAttributeHidden : 0);
        const int folder = fake::AddSubfolder(parent, name, attributes);
        if (kind == 'u') fake::MakeIdentityUnreadable(folder);
        break;
      }
      case 'f':
        fake::AddFile(parent, name, 0);
        break;
      case 's':
        fake::AddFile(parent, name, platform::kAttributeHidden);
        break;
      default:
        fake::AddFile(parent, name, static_cast<unsigned char>(kind));
        break;
    }
  }
}

std::int32_t ConfiguredVendorCount(const std::string& configuration) {
  Text count;
  platform::posix::FindProfileValue(configuration.data(), configuration.size(),
                                    "PomvarinInfo", "VendorCount", "Unknow",
                                    count);
  return ReferenceVendorCount(count);
}

}  // namespace
}  // namespace pomvarin::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  using namespace pomvarin;
  using namespace pomvarin::fuzz;
  const auto pieces = SplitAtNul(data, size, 5);
  const std::string& arguments = pieces[0];
  const std::string& currentDirectory = pieces[1];
  const std::string& configuration = pieces[4];

  // A larger count repeats the same work for entries that read as Unknow;
  // it is left out to keep runs short.
  const std::int32_t configuredCount = ConfiguredVendorCount(configuration);
  if (configuredCount > kMostVendors) return 0;

  fake::Reset();
  fake::Current().currentDirectory = currentDirectory;
  fake::AddFolder(currentDirectory);
  WriteConfiguration(configuration);
  const bool canMatch = AddDevices(pieces[2]);
  AddTree(pieces[3]);

  auto argumentText = ExactString(arguments);
  WinMain(argumentText.get());
  fake::CheckAllReleased();

  const fake::State& run = fake::Current();
  Require(!run.trace.empty() && run.trace[0] == arguments.c_str(),
          "the first trace line is the command line");

  const bool configurationRead =
      currentDirectory.size() + 1 + std::strlen(kConfigurationName) <=
      kTextSize - 1;
  const std::int32_t vendors =
      configurationRead && configuredCount > 0 ? configuredCount : 0;
  Require(run.deviceListRequests == 2 * vendors,
          "both case passes of every configured vendor ask for the devices");

  Require(run.launches.size() <= static_cast<std::size_t>(run.listingsOpened),
          "no more starts than listed folders");
  Require(run.warnings.size() <= 1, "the warning appears at most once");
  if (!run.launches.empty())
    Require(run.warnings.empty(), "no warning after a start");
  if (!canMatch || vendors == 0)
    Require(run.warnings.size() == 1 && run.launches.empty(),
            "the warning appears when nothing can match");

  const bool silent = std::strstr(arguments.c_str(), "/s") ||
                      std::strstr(arguments.c_str(), "/S");
  for (const Launch& launch : run.launches) {
    Require(launch.show == (silent ? platform::ShowCommand::kHide
                                   : platform::ShowCommand::kShow),
            "starts are hidden exactly in the silent mode");
    Require(launch.parameters.empty() || launch.parameters[0] == ' ',
            "the parameters are empty or start with the blank");
  }
  return 0;
}
