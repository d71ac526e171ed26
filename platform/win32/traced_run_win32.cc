// PomvarinCheck.exe --trace: Pomvarin.exe run under a small debugger that
// reads its debug output byte for byte.

#include "platform/traced_run.h"

#include <windows.h>

#include "platform/win32/debug_run.h"

namespace pomvarin::platform {

namespace {

constexpr char kLauncherName[] = "Pomvarin.exe";

// One argument written so that the C runtime's reading of a command line
// gives it back unchanged: quotes when it is empty or holds a blank, tab or
// quote, with the backslashes before a quote doubled.
std::string QuotedArgument(const std::string& argument) {
  if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos)
    return argument;
  std::string quoted = "\"";
  std::size_t backslashes = 0;
  for (const char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, '\\');
  return quoted + "\"";
}

class TraceForwarder : public win32::DebugListener {
 public:
  explicit TraceForwarder(TraceReceiver& receiver) : receiver_(receiver) {}
  void Output(const std::string& text) override { receiver_.Receive(text); }

 private:
  TraceReceiver& receiver_;
};

std::string SystemMessage(DWORD code) {
  char text[512] = {};
  if (!FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                      nullptr, code, 0, text, sizeof text, nullptr))
    return "error " + std::to_string(code);
  std::string message(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' ||
                              message.back() == ' ' || message.back() == '.'))
    message.pop_back();
  return message + " (error " + std::to_string(code) + ")";
}

}  // namespace

bool FindLauncherBesideSelf(std::string* path) {
  char self[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, self, sizeof self);
  if (length == 0 || length >= sizeof self) {
    *path = kLauncherName;
    return false;
  }
  const std::string selfPath(self, length);
  *path = selfPath.substr(0, selfPath.find_last_of("\\/") + 1) + kLauncherName;
  const DWORD attributes = GetFileAttributesA(path->c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool RunWithTrace(const TracedRun& run, TraceReceiver& receiver,
                  std::uint32_t* exitStatus, std::string* error) {
  if (!run.folder.empty()) {
    const DWORD attributes = GetFileAttributesA(run.folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES ||
        (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
      *error = "cannot enter the folder " + run.folder;
      return false;
    }
  }
  std::string commandLine = "\"" + run.program + "\"";
  for (const std::string& argument : run.arguments)
    commandLine += " " + QuotedArgument(argument);
  TraceForwarder forwarder(receiver);
  DWORD code = 0;
  const win32::DebugOutcome outcome = win32::RunUnderDebugger(
      run.program.c_str(), commandLine,
      run.folder.empty() ? nullptr : run.folder.c_str(), forwarder, &code);
  if (outcome == win32::DebugOutcome::kNotStarted) {
    *error = SystemMessage(code);
    return false;
  }
  *exitStatus = code;
  return true;
}

}  // namespace pomvarin::platform
