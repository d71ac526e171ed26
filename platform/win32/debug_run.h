// A program run as a debugger runs it, to receive its debug-output texts
// byte for byte, any length, in order: for PomvarinCheck.exe --trace and
// for the end-to-end suite's runner. Programs the debuggee starts are not
// debugged and run on.
#pragma once

#include <windows.h>

#include <string>

namespace pomvarin::platform::win32 {

class DebugListener {
 public:
  // The process is made but has not run yet.
  virtual void Created(HANDLE process) { (void)process; }
  // One debug-output text, its bytes as sent, without the terminator.
  virtual void Output(const std::string& text) = 0;
  // No event came for a short while; false ends the run, and the program
  // is ended with exit code 1.
  virtual bool Idle() { return true; }

 protected:
  ~DebugListener() = default;
};

enum class DebugOutcome {
  kExited,      // the program ended by itself
  kNotStarted,  // it could not be started
  kStopped,     // the listener ended it
};

// Starts program with commandLine (all of it, the program's own name
// first) in folder (nullptr: the current directory) and runs it to its end.
// *code is the exit code when it exited, GetLastError's code when it could
// not be started.
DebugOutcome RunUnderDebugger(const char* program,
                              const std::string& commandLine,
                              const char* folder, DebugListener& listener,
                              DWORD* code);

}  // namespace pomvarin::platform::win32
