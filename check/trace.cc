// --trace: the real launcher beside this program, its trace passed on live.
#include "check/trace.h"

#include <cstdint>

#include "platform/traced_run.h"

namespace pomvarin::check {

namespace {

class PrintedTrace : public platform::TraceReceiver {
 public:
  explicit PrintedTrace(LiveOutput& live) : live_(live) {}
  void Receive(const std::string& text) override {
    live_.Print("trace: " + text + "\n");
  }

 private:
  LiveOutput& live_;
};

std::string Quoted(const std::vector<std::string>& arguments) {
  std::string text;
  for (const std::string& argument : arguments)
    text += (text.empty() ? "" : " ") + ("\"" + argument + "\"");
  return text.empty() ? "no arguments" : text;
}

}  // namespace

CommandResult RunTrace(const std::string& program, const std::string& folder,
                       const std::vector<std::string>& arguments,
                       LiveOutput& live) {
  platform::TracedRun run{"", folder, arguments};
  if (!platform::FindLauncherBesideSelf(&run.program))
    return CommandResult{kCannotCheck, "",
                         program + ": the launcher is not found: there is no " +
                             run.program + "\n"};
  live.Print("Running " + run.program + " in " +
             (folder.empty() ? "the current directory" : folder) + " with " +
             Quoted(arguments) + "\n");
  PrintedTrace trace(live);
  std::uint32_t exitStatus = 0;
  std::string error;
  if (!platform::RunWithTrace(run, trace, &exitStatus, &error))
    return CommandResult{kCannotCheck, "",
                         program + ": cannot start " + run.program + ": " +
                             error + "\n"};
  return CommandResult{exitStatus == 0 ? kNothingWrong : kWarnings,
                       "Exit status: " + std::to_string(exitStatus) + "\n",
                       ""};
}

}  // namespace pomvarin::check
