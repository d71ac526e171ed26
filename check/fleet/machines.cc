#include "check/fleet/machines.h"

#include <algorithm>
#include <functional>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "check/capture/capture.h"
#include "check/input/input_limits.h"
#include "devices/device_matcher.h"
#include "platform/files.h"
#include "setup/folder_walk.h"

namespace pomvarin::check {

namespace {

// The bytes of one capture file; false with the reason when it cannot be
// read.
bool ReadCaptureBytes(const std::string& path, platform::FileSource source,
                      std::string* bytes, std::string* error) {
  const platform::FileRead read =
      platform::ReadFileBytes(path.c_str(), source, kCaptureLimit, bytes);
  if (read.outcome == platform::FileRead::kUnreadable) {
    *error = "cannot read the capture " + path + ": " + read.reason;
    return false;
  }
  if (read.outcome == platform::FileRead::kFolder) {
    // Only --list reads a folder that can be listed as one capture.
    *error = IsFolder(path)
                 ? path + ": a folder: --list reads one capture file"
                 : path + ": a folder whose files cannot be listed: with a "
                          "file's name its path passes the limit of 259 "
                          "characters";
    return false;
  }
  if (read.outcome == platform::FileRead::kTooLarge) {
    *error = path + ": larger than " + LimitText(kCaptureLimit) +
             ", the most a capture is read to: no tool writes one so large";
    return false;
  }
  return true;
}

// The machines of a capture's bytes; false with the reason when they are no
// capture.
bool ReadMachines(const std::string& path, const std::string& bytes,
                  CapturedMachines* machines, std::string* error) {
  CaptureError captureError;
  if (!ReadCaptureMachines(bytes, machines, &captureError)) {
    *error = DescribeCaptureError(path, captureError);
    return false;
  }
  return true;
}

bool IsFile(const platform::DirectoryEntry& entry) {
  return (entry.attributes & platform::kAttributeDirectory) == 0;
}

// The files of one folder, its subfolders left alone; those whose path
// passes the limit apart, as no platform call can reach them.
class FolderFiles : public FolderVisitor {
 public:
  FolderFiles(std::vector<std::string>* files,
              std::vector<std::string>* tooLong)
      : files_(files), tooLong_(tooLong) {}

  WalkStep Visit(const char* path,
                 const platform::DirectoryEntry& entry) override {
    if (IsFile(entry)) files_->push_back(path);
    return WalkStep::kNext;
  }

  void PassOver(const char* folder,
                const platform::DirectoryEntry& entry) override {
    if (IsFile(entry))
      tooLong_->push_back(std::string(folder) + "\\" + entry.name);
  }

 private:
  std::vector<std::string>* files_;
  std::vector<std::string>* tooLong_;
};

// The files of a folder in name order, through the platform's listing;
// false when path is no folder that can be listed.
bool ListFolderFiles(const std::string& path, std::vector<std::string>* files,
                     std::vector<std::string>* tooLong) {
  FolderFiles visitor(files, tooLong);
  if (!WalkFolder(path.c_str(), visitor)) return false;
  std::sort(files->begin(), files->end());
  std::sort(tooLong->begin(), tooLong->end());
  return true;
}

// The configurations read so far, found by their devices' hash: a capture
// is read, placed and let go, so memory grows with the configurations, not
// with the machines. A capture byte for byte like the one a configuration
// was first read from is that configuration, unread: machines of one
// hardware that saved their devices with --list give the same bytes.
// Only the first capture's bytes in the --list form are known again, as
// they are told from the devices alone.
class ConfigurationIndex {
 public:
  explicit ConfigurationIndex(std::vector<Configuration>* configurations)
      : configurations_(configurations) {}

  // Whether bytes are those of a configuration's first capture; the
  // machine is that configuration's then.
  bool AddByBytes(std::string& machine, std::string_view bytes) {
    const auto found = byBytes_.find(text_(bytes));
    if (found == byBytes_.end()) return false;
    for (std::size_t c : found->second) {
      Configuration& configuration = (*configurations_)[c];
      if (IsDeviceListOf(bytes, configuration.devices)) {
        configuration.machines.push_back(std::move(machine));
        return true;
      }
    }
    return false;
  }

  void Add(std::string machine, std::string_view bytes, Devices&& devices) {
    std::vector<std::size_t>& sameHash = byHash_[HashOf(devices)];
    for (std::size_t c : sameHash) {
      Configuration& configuration = (*configurations_)[c];
      if (SameDevices(configuration.devices, devices)) {
        configuration.machines.push_back(std::move(machine));
        return;
      }
    }
    sameHash.push_back(configurations_->size());
    if (IsDeviceListOf(bytes, devices))
      byBytes_[text_(bytes)].push_back(configurations_->size());
    configurations_->push_back(
        Configuration{{std::move(machine)}, std::move(devices), {}});
  }

 private:
  static std::size_t HashOf(const Devices& devices) {
    std::size_t hash = devices.size();
    const std::hash<std::string> text;
    for (const Device& device : devices) {
      for (const std::string& id : device.hardwareIds)
        hash = hash * 1000003 ^ text(id);
      hash = hash * 1000003 ^ text(device.note) ^ device.hardwareIds.size();
    }
    return hash;
  }

  static bool SameDevices(const Devices& a, const Devices& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
      if (a[i].hardwareIds != b[i].hardwareIds || a[i].note != b[i].note)
        return false;
    }
    return true;
  }

  std::vector<Configuration>* configurations_;
  std::unordered_map<std::size_t, std::vector<std::size_t>> byHash_;
  std::unordered_map<std::size_t, std::vector<std::size_t>> byBytes_;
  std::hash<std::string_view> text_;
};

}  // namespace

bool ReadDevices(const std::vector<std::string>& captures, Devices* devices,
                 std::string* error) {
  if (captures.empty()) {
    if (ReadPresentDevices(devices)) return true;
    *error = kDevicesUnavailable;
    return false;
  }
  std::string bytes;
  CaptureError captureError;
  if (!ReadCaptureBytes(captures[0], platform::FileSource::kNamedByUser,
                        &bytes, error))
    return false;
  if (ReadDeviceCapture(bytes, devices, &captureError)) return true;
  *error = DescribeCaptureError(captures[0], captureError);
  return false;
}

std::string FileName(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsFolder(const std::string& path) {
  // Whether it can be listed is all that is asked: the walk ends at once.
  class EndAtOnce : public FolderVisitor {
    WalkStep Visit(const char*, const platform::DirectoryEntry&) override {
      return WalkStep::kEndFolder;
    }
  } visitor;
  return WalkFolder(path.c_str(), visitor);
}

bool ReadConfigurations(const std::vector<std::string>& captures,
                        std::vector<Configuration>* configurations,
                        std::vector<SkippedCapture>* skipped) {
  ConfigurationIndex index(configurations);
  bool allRead = true;
  for (const std::string& capture : captures) {
    std::vector<std::string> files, tooLong;
    const bool folder = ListFolderFiles(capture, &files, &tooLong);
    if (!folder) files.push_back(capture);
    for (const std::string& file : tooLong) {
      skipped->push_back(SkippedCapture{
          file,
          "cannot read the capture " + file +
              ": its path passes the limit of 259 characters",
          true});
      allRead = false;
    }
    for (const std::string& file : files) {
      std::string bytes, error, machine = FileName(file);
      CapturedMachines machines;
      const platform::FileSource source =
          folder ? platform::FileSource::kRegularFile
                 : platform::FileSource::kNamedByUser;
      const bool unreadable = !ReadCaptureBytes(file, source, &bytes, &error);
      if (!unreadable && index.AddByBytes(machine, bytes)) continue;
      if (!unreadable && ReadMachines(file, bytes, &machines, &error)) {
        // An export of many machines is as many captures, each named by
        // its computer.
        for (CapturedMachine& each : machines)
          index.Add(each.name.empty() ? std::move(machine) : std::move(each.name),
                    bytes, std::move(each.devices));
        continue;
      }
      // A file of a folder that is no capture is passed over; one named on
      // the command line was meant as a capture.
      const bool failed = unreadable || !folder;
      skipped->push_back(SkippedCapture{
          file, failed ? error : error + " (no capture)", failed});
      allRead = allRead && !failed;
    }
  }
  return allRead;
}

}  // namespace pomvarin::check
