#include "check/machines.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "check/capture/capture.h"
#include "devices/device_matcher.h"
#include "platform/files.h"
#include "setup/folder_walk.h"

namespace pomvarin::check {

namespace {

// The devices of one capture file; false with the reason when it cannot
// be read (unreadable is set then) or is no capture.
bool ReadCapture(const std::string& path, Devices* devices, std::string* error,
                 bool* unreadable) {
  // A file of a listed folder has a path as the launcher joins them; a
  // capture named on the command line may also be a pipe.
  std::string bytes;
  *unreadable = !platform::ReadFileBytes(path.c_str(), &bytes);
  if (*unreadable) {
    std::ifstream file(path, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(file),
                 std::istreambuf_iterator<char>());
    *unreadable = !file.is_open() || file.bad();
  }
  if (*unreadable) {
    *error = "cannot read the capture " + path;
    return false;
  }
  CaptureError captureError;
  if (!ReadDeviceCapture(bytes, devices, &captureError)) {
    *error = DescribeCaptureError(path, captureError);
    return false;
  }
  return true;
}

// The files of one folder, its subfolders left alone.
class FolderFiles : public FolderVisitor {
 public:
  explicit FolderFiles(std::vector<std::string>* files) : files_(files) {}

  WalkStep Visit(const char* path,
                 const platform::DirectoryEntry& entry) override {
    if ((entry.attributes & platform::kAttributeDirectory) == 0)
      files_->push_back(path);
    return WalkStep::kNext;
  }

 private:
  std::vector<std::string>* files_;
};

// The files of a folder in name order, through the platform's listing;
// false when path is no folder that can be listed.
bool ListFolderFiles(const std::string& path, std::vector<std::string>* files) {
  FolderFiles visitor(files);
  if (!WalkFolder(path.c_str(), visitor)) return false;
  std::sort(files->begin(), files->end());
  return true;
}

}  // namespace

bool ReadDevices(const std::vector<std::string>& captures, Devices* devices,
                 std::string* error) {
  if (captures.empty()) {
    if (ReadPresentDevices(devices)) return true;
    *error = kDevicesUnavailable;
    return false;
  }
  bool unreadable;
  return ReadCapture(captures[0], devices, error, &unreadable);
}

std::string FileName(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool IsFolder(const std::string& path) {
  std::vector<std::string> ignored;
  return ListFolderFiles(path, &ignored);
}

bool ReadMachines(const std::vector<std::string>& captures,
                  std::vector<Machine>* machines,
                  std::vector<SkippedCapture>* skipped) {
  bool allRead = true;
  for (const std::string& capture : captures) {
    std::vector<std::string> files;
    const bool folder = ListFolderFiles(capture, &files);
    if (!folder) files.push_back(capture);
    for (const std::string& file : files) {
      Machine machine{FileName(file), {}, {}};
      std::string error;
      bool unreadable;
      if (ReadCapture(file, &machine.devices, &error, &unreadable)) {
        machines->push_back(machine);
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
