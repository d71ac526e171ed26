// pomvarin-check (PomvarinCheck.exe on Windows): a console program that
// shows what the launcher would do with a disc, before the disc ships.
#include <cstdio>
#include <string>
#include <vector>

#include "check/command.h"
#include "platform/files.h"

namespace {

std::string ProgramName(const char* path) {
  const std::string name = path ? path : "pomvarin-check";
  const std::size_t slash = name.find_last_of("\\/");
  return slash == std::string::npos ? name : name.substr(slash + 1);
}

// --trace's lines reach the console as they come, before the setups that
// the launcher starts write their own.
class ConsoleOutput : public pomvarin::check::LiveOutput {
 public:
  void Print(const std::string& text) override {
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
  }
};

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  ConsoleOutput console;
  const pomvarin::check::CommandResult result =
      pomvarin::check::RunCommand(ProgramName(argv[0]), arguments, console);
  if (result.outIsFile) pomvarin::platform::KeepStandardOutputBytes();
  std::fwrite(result.out.data(), 1, result.out.size(), stdout);
  std::fwrite(result.err.data(), 1, result.err.size(), stderr);
  return result.status;
}
