#include "check/fleet/machines.h"

#include <algorithm>
#include <string_view>
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
// file is read, path named in the reasons.
bool ReadCaptureBytes(const std::string& file, const std::string& path,
                      platform::FileSource source, std::string* bytes,
                      std::string* error) {
  const platform::FileRead read =
      platform::ReadFileBytes(file.c_str(), source, kCaptureLimit, bytes);
  if (read.outcome == platform::FileRead::kUnreadable) {
    *error = "cannot read the capture " + path + ": " + read.reason;
    return false;
  }
  if (read.outcome == platform::FileRead::kFolder) {
    // Only --list reads a folder that can be listed as one capture.
    *error = IsFolder(file)
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

// The devices of a capture's bytes; false with the reason when they are no
// capture.
bool ReadCaptureDevices(const std::string& path, const std::string& bytes,
                        Devices* devices, std::string* error) {
  CaptureError captureError;
  if (!ReadDeviceCapture(bytes, devices, &captureError)) {
    *error = DescribeCaptureError(path, captureError);
    return false;
  }
  return true;
}

// The machines of a capture's bytes, one or, for an export of many, one for
// each computer it names; false with the reason when they are no capture.
bool ReadCapturedMachines(const std::string& path, const std::string& bytes,
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

}  // namespace

bool ReadDevices(const std::vector<std::string>& captures, Devices* devices,
                 std::string* error) {
  if (captures.empty()) {
    if (ReadPresentDevices(devices)) return true;
    *error = kDevicesUnavailable;
    return false;
  }
  std::string bytes;
  return ReadCaptureBytes(captures[0], captures[0],
                          platform::FileSource::kNamedByUser, &bytes, error) &&
         ReadCaptureDevices(captures[0], bytes, devices, error);
}

std::string FileName(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool HoldsManyMachines(const std::string& capture) {
  std::string bytes, error;
  CapturedMachines machines;
  // Only a regular file is looked at twice: standard input or a pipe would
  // be gone when read for its devices.
  return ReadCaptureBytes(capture, capture, platform::FileSource::kRegularFile,
                          &bytes, &error) &&
         ReadCapturedMachines(capture, bytes, &machines, &error) &&
         machines.size() > 1;
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

bool ReadMachines(const std::vector<CaptureArgument>& captures,
                  MachineSink& sink, std::vector<SkippedCapture>* skipped) {
  bool allRead = true;
  std::string bytes, error;
  CapturedMachines machines;
  for (const CaptureArgument& capture : captures) {
    std::vector<std::string> files, tooLong;
    const bool folder = ListFolderFiles(capture.read, &files, &tooLong);
    if (!folder) files.push_back(capture.read);
    // Named as given: the folder's path as the command line has it.
    const auto shown = [&](const std::string& file) {
      return capture.given + file.substr(capture.read.size());
    };
    for (const std::string& file : tooLong) {
      skipped->push_back(SkippedCapture{
          shown(file),
          "cannot read the capture " + shown(file) +
              ": its path passes the limit of 259 characters",
          true});
      allRead = false;
    }
    for (const std::string& file : files) {
      const std::string path = shown(file), machine = FileName(path);
      const platform::FileSource source =
          folder ? platform::FileSource::kRegularFile
                 : platform::FileSource::kNamedByUser;
      const bool unreadable =
          !ReadCaptureBytes(file, path, source, &bytes, &error);
      const Digest digest = unreadable ? Digest{} : DigestOf(bytes);
      if (!unreadable && sink.AddKnown(machine, digest)) continue;
      machines.clear();
      if (!unreadable && ReadCapturedMachines(path, bytes, &machines, &error)) {
        // An export of many machines is as many captures, each named by its
        // computer; its bytes stand for none of them.
        const bool many = machines.size() > 1;
        for (const CapturedMachine& each : machines)
          if (!sink.Add(many ? std::string_view(each.name) : machine,
                        many ? nullptr : &digest, each.devices))
            return allRead;
        continue;
      }
      // A file of a folder that is no capture is passed over; one named on
      // the command line was meant as a capture.
      const bool failed = unreadable || !folder;
      skipped->push_back(SkippedCapture{
          path, failed ? error : error + " (no capture)", failed});
      allRead = allRead && !failed;
    }
  }
  return allRead;
}

}  // namespace pomvarin::check
