// The real launcher run as a debugger runs it, its trace lines read as they
// are sent.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pomvarin::platform {

// Receives the trace lines of a run, in the order they are sent.
class TraceReceiver {
 public:
  // One trace text, its bytes as sent, without a line end.
  virtual void Receive(const std::string& text) = 0;

 protected:
  ~TraceReceiver() = default;
};

// The launcher's program beside this program's own file (Pomvarin.exe next
// to PomvarinCheck.exe, pomvarin next to pomvarin-check). False, with the
// path it looked for, when there is no such file.
bool FindLauncherBesideSelf(std::string* path);

struct TracedRun {
  std::string program;
  std::string folder;                   // the run's current directory
  std::vector<std::string> arguments;   // after the program's own name
};

// Starts the program as a debugger does and hands every trace line to
// receiver as it comes; returns once the program has ended, with its exit
// status (128 + the signal's number for a Linux program ended by a
// signal). Programs it starts run on. False, with the reason, when it
// cannot be started.
bool RunWithTrace(const TracedRun& run, TraceReceiver& receiver,
                  std::uint32_t* exitStatus, std::string* error);

}  // namespace pomvarin::platform
