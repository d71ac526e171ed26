// pomvarin-check --trace on Linux. The launcher writes its trace on standard
// error, one line each: here that stream is a pipe, read as it fills.

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <vector>

#include "platform/traced_run.h"
#include "platform/posix/posix_common.h"

namespace pomvarin::platform {

namespace {

constexpr char kLauncherName[] = "pomvarin";
constexpr int kPollMilliseconds = 20;
constexpr std::size_t kReadSize = 4096;

// Hands every complete line of pending to receiver and keeps the rest.
void DeliverLines(std::string* pending, TraceReceiver& receiver) {
  std::size_t start = 0;
  for (std::size_t end; (end = pending->find('\n', start)) != std::string::npos;
       start = end + 1)
    receiver.Receive(pending->substr(start, end - start));
  pending->erase(0, start);
}

// Appends up to size bytes of fd to pending; false at the end of the stream
// or on an error.
bool ReadSome(int fd, std::size_t size, std::string* pending) {
  char buffer[kReadSize];
  for (;;) {
    const ssize_t got = read(fd, buffer, size < kReadSize ? size : kReadSize);
    if (got > 0) {
      pending->append(buffer, static_cast<std::size_t>(got));
      return true;
    }
    if (got < 0 && errno == EINTR) continue;
    return false;
  }
}

// What is left in the stream once the launcher has ended was written by the
// programs it started, which share its standard error. A process of its own
// copies it to ours until they close it, so that none of them ever writes
// into a pipe without a reader.
void ForwardTheRest(int fd) {
  const pid_t intermediate = fork();
  if (intermediate < 0) return;
  if (intermediate == 0) {
    if (fork() == 0) {
      std::string pending;
      while (ReadSome(fd, kReadSize, &pending)) {
        if (write(STDERR_FILENO, pending.data(), pending.size()) < 0) break;
        pending.clear();
      }
    }
    _exit(0);
  }
  int status;
  while (waitpid(intermediate, &status, 0) < 0 && errno == EINTR) {
  }
}

std::uint32_t ExitStatusOf(int status) {
  if (WIFSIGNALED(status)) return 128u + static_cast<std::uint32_t>(WTERMSIG(status));
  return static_cast<std::uint32_t>(WEXITSTATUS(status));
}

// Reads the trace from fd until the launcher (pid) has ended and its last
// line is in; returns its wait status.
int ReadTraceUntilExit(pid_t pid, int fd, TraceReceiver& receiver) {
  std::string pending;
  int status = 0;
  bool ended = false;
  bool streamOpen = true;
  while (!ended && streamOpen) {
    pollfd ready{fd, POLLIN, 0};
    if (poll(&ready, 1, kPollMilliseconds) > 0)
      streamOpen = ReadSome(fd, kReadSize, &pending);
    DeliverLines(&pending, receiver);
    ended = waitpid(pid, &status, WNOHANG) == pid;
  }
  if (!ended) {
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }
  // Every line the launcher wrote is in the pipe before it ends; take just
  // those bytes, not what its setups may go on writing.
  int waiting = 0;
  if (streamOpen && ioctl(fd, FIONREAD, &waiting) == 0 && waiting > 0)
    ReadSome(fd, static_cast<std::size_t>(waiting), &pending);
  DeliverLines(&pending, receiver);
  if (!pending.empty()) receiver.Receive(pending);
  if (streamOpen) ForwardTheRest(fd);
  return status;
}

}  // namespace

bool FindLauncherBesideSelf(std::string* path) {
  char self[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
  if (length <= 0) {
    *path = kLauncherName;
    return false;
  }
  const std::string selfPath(self, static_cast<std::size_t>(length));
  *path = selfPath.substr(0, selfPath.rfind('/') + 1) + kLauncherName;
  struct stat status;
  return stat(path->c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

bool RunWithTrace(const TracedRun& run, TraceReceiver& receiver,
                  std::uint32_t* exitStatus, std::string* error) {
  posix::PosixPath folderPath = ".";
  if (!run.folder.empty() && !posix::ToPosixPath(run.folder.c_str(), folderPath)) {
    *error = "the folder's path is too long";
    return false;
  }
  const posix::FileDescriptor folder(
      open(folderPath, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (folder.get() < 0) {
    *error = "cannot enter the folder " + run.folder + ": " + std::strerror(errno);
    return false;
  }
  int trace[2];
  int startFailure[2];
  if (pipe2(trace, O_CLOEXEC) != 0) {
    *error = std::strerror(errno);
    return false;
  }
  const posix::FileDescriptor traceRead(trace[0]);
  posix::FileDescriptor traceWrite(trace[1]);
  if (pipe2(startFailure, O_CLOEXEC) != 0) {
    *error = std::strerror(errno);
    return false;
  }
  const posix::FileDescriptor failureRead(startFailure[0]);
  posix::FileDescriptor failureWrite(startFailure[1]);

  std::vector<char*> argv{const_cast<char*>(run.program.c_str())};
  for (const std::string& argument : run.arguments)
    argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);

  const pid_t pid = fork();
  if (pid < 0) {
    *error = std::strerror(errno);
    return false;
  }
  if (pid == 0) {
    if (fchdir(folder.get()) == 0 && dup2(traceWrite.get(), STDERR_FILENO) >= 0)
      execv(argv[0], argv.data());
    const int reason = errno;
    if (write(failureWrite.get(), &reason, sizeof reason) < 0) _exit(127);
    _exit(127);
  }
  // Only the launcher (and what it starts) may hold the write ends now.
  traceWrite.reset();
  failureWrite.reset();
  int reason = 0;
  ssize_t got;
  while ((got = read(failureRead.get(), &reason, sizeof reason)) < 0 &&
         errno == EINTR) {
  }
  if (got == static_cast<ssize_t>(sizeof reason)) {
    int status;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    *error = std::strerror(reason);
    return false;
  }
  *exitStatus = ExitStatusOf(ReadTraceUntilExit(pid, traceRead.get(), receiver));
  return true;
}

}  // namespace pomvarin::platform
