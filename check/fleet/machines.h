// The machines a check runs over: the present devices, one capture, or
// every capture of the files and folders named on the command line.
#pragma once

#include <string>
#include <vector>

#include "check/fleet/devices.h"
#include "check/fleet/digest.h"
#include "check/report/results.h"

namespace pomvarin::check {

// The devices of the one capture of captures, or the present ones when
// there is none; false with the reason when they cannot be read.
bool ReadDevices(const std::vector<std::string>& captures, Devices* devices,
                 std::string* error);

// The last part of a path: a capture's machine name.
std::string FileName(const std::string& path);

// Whether path is a folder the platform can list.
bool IsFolder(const std::string& path);

// Whether the one capture named is a regular file that exports many
// machines, checked as a fleet. False too when it cannot be read: reading it
// as one machine's capture then says why.
bool HoldsManyMachines(const std::string& capture);

// Where the machines go as they are read, one at a time. A source of many
// machines (an export of several) hands each of them to Add in turn, with
// no bytes of its own.
class MachineSink {
 public:
  // Whether a capture of these bytes was taken in before: the machine is
  // then counted with it. False when it must be read and given to Add.
  virtual bool AddKnown(std::string_view machine, const Digest& bytes) = 0;
  // bytes: the digest of the machine's capture file, or null. False when
  // no more machines are wanted: the check cannot be made.
  virtual bool Add(std::string_view machine, const Digest* bytes,
                   const Devices& devices) = 0;

 protected:
  ~MachineSink() = default;
};

// Hands the machines of every --devices to sink: a file is one machine; a
// folder's files are one each, in name order, those that are no capture
// skipped. Each capture is read from its absolute path (read), named in
// messages as given. False when a capture named on the command line, or a
// file of a folder, cannot be read: the others are still read.
struct CaptureArgument {
  std::string given;
  std::string read;
};
bool ReadMachines(const std::vector<CaptureArgument>& captures,
                  MachineSink& sink, std::vector<SkippedCapture>* skipped);

}  // namespace pomvarin::check
