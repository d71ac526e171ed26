#include "platform/posix/start_program.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/posix/command_line.h"

namespace pomvarin::platform::posix {

namespace {

constexpr char kOpener[] = "xdg-open";
constexpr int kExecFailed = 127;

bool IsExecutableFile(const char* path) {
  struct stat status;
  return stat(path, &status) == 0 && S_ISREG(status.st_mode) &&
         access(path, X_OK) == 0;
}

// In the started program's process only: standard input, output and error
// go to /dev/null. False when that cannot be arranged.
bool SilenceStandardStreams() {
  const int null = open("/dev/null", O_RDWR);
  if (null < 0) return false;
  for (int stream = STDIN_FILENO; stream <= STDERR_FILENO; ++stream) {
    if (dup2(null, stream) < 0) return false;
  }
  if (null > STDERR_FILENO) close(null);
  return true;
}

// Starts program with arguments through an intermediate process that exits
// at once: the program is then nobody's child here, so it leaves no zombie
// and is not waited for. Everything is prepared before forking.
void StartDetached(const char* program, char* const* arguments,
                   ShowCommand show) {
  const pid_t intermediate = fork();
  if (intermediate < 0) return;
  if (intermediate == 0) {
    if (fork() == 0) {
      // The launcher ignores SIGPIPE; the setup gets the usual default.
      signal(SIGPIPE, SIG_DFL);
      if (show == ShowCommand::kHide && !SilenceStandardStreams())
        _exit(kExecFailed);
      execv(program, arguments);
      _exit(kExecFailed);
    }
    _exit(0);
  }
  int status;
  while (waitpid(intermediate, &status, 0) < 0 && errno == EINTR) {
  }
}

}  // namespace

bool FindOnPath(const char* name, const char* searchPath, PosixPath& found) {
  const char* folder = searchPath;
  for (;;) {
    const char* folderEnd = std::strchr(folder, ':');
    if (!folderEnd) folderEnd = folder + std::strlen(folder);
    const int folderLength = static_cast<int>(folderEnd - folder);
    const int length =
        folderLength == 0
            ? std::snprintf(found, sizeof found, "%s", name)
            : std::snprintf(found, sizeof found, "%.*s/%s", folderLength,
                            folder, name);
    if (length >= 0 && static_cast<std::size_t>(length) < sizeof found &&
        IsExecutableFile(found))
      return true;
    if (*folderEnd == '\0') return false;
    folder = folderEnd + 1;
  }
}

}  // namespace pomvarin::platform::posix

namespace pomvarin::platform {

// An executable file is run with the parameters. Anything else that exists
// (a document, a folder) goes to the desktop's opener, as Windows would
// open it with its default action; without an opener nothing happens.
void StartProgram(const char* path, const char* parameters, ShowCommand show) {
  posix::PosixPath program;
  if (!posix::ToPosixPath(path, program)) return;
  if (posix::IsExecutableFile(program)) {
    posix::ArgumentVector arguments;
    if (arguments.Build(program, parameters))
      posix::StartDetached(program, arguments.get(), show);
    return;
  }
  struct stat status;
  const char* searchPath = std::getenv("PATH");
  posix::PosixPath opener;
  if (stat(program, &status) != 0 || !searchPath ||
      !posix::FindOnPath(posix::kOpener, searchPath, opener))
    return;
  char* const arguments[] = {opener, program, nullptr};
  posix::StartDetached(opener, arguments, show);
}

}  // namespace pomvarin::platform
