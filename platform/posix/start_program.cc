#include "platform/posix/start_program.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/posix/command_line.h"

extern char** environ;

namespace pomvarin::platform::posix {

namespace {

constexpr char kOpener[] = "xdg-open";

bool IsExecutableFile(const char* path) {
  struct stat status;
  return stat(path, &status) == 0 && S_ISREG(status.st_mode) &&
         access(path, X_OK) == 0;
}

// What a spawn is to do in the child, released with the owner.
class SpawnOptions {
 public:
  SpawnOptions()
      : actionsMade_(posix_spawn_file_actions_init(&actions_) == 0),
        attributesMade_(posix_spawnattr_init(&attributes_) == 0) {}
  ~SpawnOptions() {
    if (actionsMade_) posix_spawn_file_actions_destroy(&actions_);
    if (attributesMade_) posix_spawnattr_destroy(&attributes_);
  }
  SpawnOptions(const SpawnOptions&) = delete;
  SpawnOptions& operator=(const SpawnOptions&) = delete;

  // The launcher ignores SIGPIPE; the started program gets the usual
  // default. Hidden, its standard input, output and error go to /dev/null.
  bool Prepare(ShowCommand show) {
    if (!actionsMade_ || !attributesMade_) return false;
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    if (posix_spawnattr_setsigdefault(&attributes_, &defaults) != 0 ||
        posix_spawnattr_setflags(&attributes_, POSIX_SPAWN_SETSIGDEF) != 0)
      return false;
    return show != ShowCommand::kHide ||
           (posix_spawn_file_actions_addopen(&actions_, STDIN_FILENO,
                                             "/dev/null", O_RDWR, 0) == 0 &&
            posix_spawn_file_actions_adddup2(&actions_, STDIN_FILENO,
                                             STDOUT_FILENO) == 0 &&
            posix_spawn_file_actions_adddup2(&actions_, STDIN_FILENO,
                                             STDERR_FILENO) == 0);
  }

  const posix_spawn_file_actions_t* actions() const { return &actions_; }
  const posix_spawnattr_t* attributes() const { return &attributes_; }

 private:
  posix_spawn_file_actions_t actions_;
  posix_spawnattr_t attributes_;
  bool actionsMade_;
  bool attributesMade_;
};

// Starts program with arguments and does not wait for it. It is this
// process's child only while the launcher runs, which ends moments later;
// then the system adopts and reaps it, and nobody is left to wait for it.
// Spawned rather than forked twice: the child shares the launcher's memory
// until it execs, so nothing is copied and no intermediate process is made
// and waited for. A start that fails (no /dev/null, exec refused) starts
// nothing; the C library reaps such a child itself.
void StartDetached(const char* program, char* const* arguments,
                   ShowCommand show) {
  SpawnOptions options;
  if (!options.Prepare(show)) return;
  pid_t child;
  posix_spawn(&child, program, options.actions(), options.attributes(),
              arguments, environ);
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
