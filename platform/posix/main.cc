// The Linux program: the launcher's run with the command line's arguments
// joined into one text, as Windows hands them to WinMain.

#include <csignal>

#include "launcher/launcher.h"
#include "platform/posix/command_line.h"

int main(int argc, char** argv) {
  // A trace nobody reads (standard error a closed pipe) must not end the run.
  signal(SIGPIPE, SIG_IGN);
  pomvarin::platform::posix::HeapBlock arguments;
  // argv[0] is the program's name; a start with an empty argv has none.
  const int count = argc > 0 ? argc - 1 : 0;
  const bool joined =
      pomvarin::platform::posix::JoinArguments(count, argv + 1, &arguments);
  pomvarin::WinMain(joined ? arguments.get() : "");
  return 0;
}
