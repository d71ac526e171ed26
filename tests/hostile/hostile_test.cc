// Hostile inputs against the real Linux program: real folder trees in a
// temporary folder, the program started as a child process the way a user starts it, this
// machine's PCI devices. Setups are probe scripts that log how they were
// started to a file outside the disc. Every run checks the trace on standard
// error, the setups started, the exit status, and that the disc is left as
// it was. Only the device cases that no machine has (10,000 devices, sysfs
// files that cannot be read) use the platform layer on a fake sysfs folder.

#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <unordered_map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "devices/device_matcher.h"
#include "platform/platform.h"
#include "platform/posix/pci_devices.h"
#include "tests/posix_temp_files.h"

extern char** environ;

namespace pomvarin {
namespace {

using platform::posix::test_support::MakeFolder;
using platform::posix::test_support::ReadFileText;
using platform::posix::test_support::WriteFile;

using Lines = std::vector<std::string>;

constexpr char kProgram[] = POMVARIN_PROGRAM;
constexpr char kWarning[] = "Warning: No Matched Device Driver!";
constexpr char kSilentTrace[] = "Slience Install";
constexpr uid_t kNobody = 65534;

// ---- Small helpers -------------------------------------------------------

Lines SplitLines(const std::string& text) {
  Lines lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find('\n', start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

Lines Sorted(Lines lines) {
  std::sort(lines.begin(), lines.end());
  return lines;
}

// Polls until done() holds. The bound only keeps an event that never comes
// from hanging the test; nothing is timed.
template <typename Done>
bool PollUntil(Done done) {
  for (int tries = 0; tries < 6000; ++tries) {
    if (done()) return true;
    timespec pause{0, 10 * 1000 * 1000};
    nanosleep(&pause, nullptr);
  }
  return done();
}

// The VenID of this machine's first PCI device ("VEN_8086"), or "" when it
// shows none.
std::string PresentVenId() {
  const std::string devices = platform::posix::kPciDevicesFolder;
  DIR* folder = opendir(devices.c_str());
  if (!folder) return "";
  std::vector<std::string> names;
  while (const dirent* entry = readdir(folder)) {
    if (entry->d_name[0] != '.') names.push_back(entry->d_name);
  }
  closedir(folder);
  if (names.empty()) return "";
  std::sort(names.begin(), names.end());
  const std::string vendor = ReadFileText(devices + "/" + names[0] + "/vendor");
  unsigned number = 0;
  if (std::sscanf(vendor.c_str(), "0x%x", &number) != 1) return "";
  char id[16];
  std::snprintf(id, sizeof id, "VEN_%04X", number);
  return id;
}

// A VenID as the second case pass traces it: the first character kept, the
// other ASCII letters in lower case.
std::string SecondPass(std::string id) {
  for (std::size_t i = 1; i < id.size(); ++i) {
    if (id[i] >= 'A' && id[i] <= 'Z') id[i] = static_cast<char>(id[i] + 32);
  }
  return id;
}

std::string Repeat(const std::string& piece, std::size_t count) {
  std::string text;
  for (std::size_t i = 0; i < count; ++i) text += piece;
  return text;
}

// The exit status, or 1000 + the signal that ended the process.
int DecodeStatus(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 1000 + WTERMSIG(status);
  return -1;
}

int WaitForExit(pid_t child) {
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return DecodeStatus(status);
}

// What /proc shows of a process: the system call it is in ("running" or
// the number and arguments) and its scheduling state.
Lines SystemCallOf(pid_t process) {
  const std::string text =
      ReadFileText("/proc/" + std::to_string(process) + "/syscall");
  Lines fields;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find_first_of(" \n", start);
    if (end == std::string::npos) end = text.size();
    if (end > start) fields.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return fields;
}

char StateOf(pid_t process) {
  const std::string text =
      ReadFileText("/proc/" + std::to_string(process) + "/stat");
  const std::size_t close = text.rfind(')');
  return close == std::string::npos || close + 2 >= text.size()
             ? '?'
             : text[close + 2];
}

// Whether the process sleeps in the given system call, with fd as its first
// argument when fd is given.
bool SleepsIn(pid_t process, long call, const char* fd) {
  const Lines fields = SystemCallOf(process);
  if (fields.size() < 2 || fields[0] != std::to_string(call)) return false;
  if (fd && fields[1] != fd) return false;
  return StateOf(process) == 'S';
}

// ---- The disc: files and their snapshot ----------------------------------

// Everything about an entry that a write would change (not the access
// time), by its path below the folder. Entries are looked at relative to
// their open folder, which keeps large trees quick.
using Snapshot = std::unordered_map<std::string, std::string>;

void AddFolderToSnapshot(int folderFd, const std::string& relative,
                         Snapshot* snapshot) {
  const int listed = dup(folderFd);
  DIR* folder = listed >= 0 ? fdopendir(listed) : nullptr;
  if (!folder) {
    if (listed >= 0) close(listed);
    (*snapshot)[relative + "/"] = "unlistable";
    return;
  }
  while (const dirent* entry = readdir(folder)) {
    const char* name = entry->d_name;
    if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
    const std::string path = relative + "/" + name;
    struct stat status;
    if (fstatat(folderFd, name, &status, AT_SYMLINK_NOFOLLOW) != 0) {
      (*snapshot)[path] = "unreadable";
      continue;
    }
    char facts[160];
    std::snprintf(facts, sizeof facts, "%o %ju %jd %jd.%09ld",
                  static_cast<unsigned>(status.st_mode),
                  static_cast<std::uintmax_t>(status.st_ino),
                  static_cast<std::intmax_t>(status.st_size),
                  static_cast<std::intmax_t>(status.st_mtim.tv_sec),
                  status.st_mtim.tv_nsec);
    std::string& recorded = (*snapshot)[path];
    recorded = facts;
    if (S_ISLNK(status.st_mode)) {
      char target[PATH_MAX];
      const ssize_t length = readlinkat(folderFd, name, target, sizeof target);
      if (length > 0) recorded += " -> " + std::string(target, length);
    } else if (S_ISDIR(status.st_mode)) {
      const int inner =
          openat(folderFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
      if (inner < 0) {
        recorded += " unlistable";
        continue;
      }
      AddFolderToSnapshot(inner, path, snapshot);
      close(inner);
    }
  }
  closedir(folder);
}

Snapshot TakeSnapshot(const std::string& folder) {
  Snapshot snapshot;
  struct stat status;
  if (lstat(folder.c_str(), &status) != 0) return {{"", "gone"}};
  snapshot[""] = std::to_string(status.st_mode) + " " +
                 std::to_string(status.st_mtim.tv_sec) + "." +
                 std::to_string(status.st_mtim.tv_nsec);
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return snapshot;
  AddFolderToSnapshot(fd, "", &snapshot);
  close(fd);
  return snapshot;
}

// The first difference of two snapshots, "" when there is none.
std::string FirstDifference(const Snapshot& before, const Snapshot& after) {
  for (const auto& entry : after) {
    const auto old = before.find(entry.first);
    if (old == before.end()) return "new: " + entry.first;
    if (old->second != entry.second) return "changed: " + entry.first;
  }
  for (const auto& entry : before) {
    if (after.find(entry.first) == after.end()) return "gone: " + entry.first;
  }
  return "";
}

// Creates count empty files name0..name(count-1) in folder, quickly.
bool CreateEmptyFiles(const std::string& folder, const char* format,
                      int count) {
  const int parent = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (parent < 0) return false;
  bool made = true;
  for (int i = 0; i < count && made; ++i) {
    char name[64];
    std::snprintf(name, sizeof name, format, i);
    const int file =
        openat(parent, name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    made = file >= 0 && close(file) == 0;
  }
  close(parent);
  return made;
}

// Removes everything in the open folder, folders made accessible first.
bool RemoveContents(int folderFd) {
  const int listed = dup(folderFd);
  DIR* folder = listed >= 0 ? fdopendir(listed) : nullptr;
  if (!folder) {
    if (listed >= 0) close(listed);
    return false;
  }
  std::vector<std::pair<std::string, bool>> entries;
  while (const dirent* entry = readdir(folder)) {
    if (std::strcmp(entry->d_name, ".") == 0 ||
        std::strcmp(entry->d_name, "..") == 0)
      continue;
    bool isFolder = entry->d_type == DT_DIR;
    if (entry->d_type == DT_UNKNOWN) {
      struct stat status;
      isFolder = fstatat(folderFd, entry->d_name, &status,
                         AT_SYMLINK_NOFOLLOW) == 0 &&
                 S_ISDIR(status.st_mode);
    }
    entries.emplace_back(entry->d_name, isFolder);
  }
  closedir(folder);
  bool removed = true;
  for (const auto& entry : entries) {
    const char* name = entry.first.c_str();
    if (entry.second) {
      fchmodat(folderFd, name, 0700, 0);
      const int inner =
          openat(folderFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
      if (inner < 0) {
        removed = false;
        continue;
      }
      removed = RemoveContents(inner) && removed;
      close(inner);
    }
    if (unlinkat(folderFd, name, entry.second ? AT_REMOVEDIR : 0) != 0)
      removed = false;
  }
  return removed;
}

bool RemoveTree(const std::string& path) {
  chmod(path.c_str(), 0700);
  const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return false;
  const bool emptied = RemoveContents(fd);
  close(fd);
  return emptied && rmdir(path.c_str()) == 0;
}

// A fresh folder, removed with everything in it at the end. It is made in
// /dev/shm when scripts there may run: the large trees are made many times
// faster there than on a disc's file system. Else in /tmp.
class TempTree {
 public:
  TempTree() {
    std::string base = "/tmp";
    struct statvfs shm;
    if (statvfs("/dev/shm", &shm) == 0 &&
        (shm.f_flag & (ST_NOEXEC | ST_RDONLY)) == 0 &&
        access("/dev/shm", W_OK | X_OK) == 0)
      base = "/dev/shm";
    std::string name = base + "/pomvarin-hostile-XXXXXX";
    if (mkdtemp(&name[0])) {
      // Traversable by everyone, for the runs as another user.
      chmod(name.c_str(), 0755);
      path_ = name;
    }
  }
  ~TempTree() {
    if (!path_.empty()) RemoveTree(path_);
  }
  TempTree(const TempTree&) = delete;
  TempTree& operator=(const TempTree&) = delete;

  const std::string& path() const { return path_; }
  std::string Join(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Makes the folders of an absolute path of exactly length characters that
// starts with base; "" when it cannot.
std::string MakeFolderOfLength(const std::string& base, std::size_t length) {
  if (!MakeFolder(base)) return "";
  std::string path = base;
  while (path.size() < length) {
    const std::size_t left = length - path.size() - 1;  // after the "/"
    // Folder names stay within 200 characters, and no step leaves room for
    // a "/" alone.
    std::size_t name = left <= 200 ? left : std::min<std::size_t>(200, left - 2);
    if (name == 0) return "";
    path += "/" + std::string(name, 'd');
    if (!MakeFolder(path)) return "";
  }
  return path.size() == length ? path : "";
}

// ---- Runs of the program --------------------------------------------------

enum class ErrorStream {
  kFile,        // a file the trace is read from afterwards
  kClosed,      // standard input, output and error all closed
  kDeviceFull,  // /dev/full: every write fails
  kBrokenPipe,  // a pipe whose reading end is already closed
};

struct RunOptions {
  std::string folder;  // the current directory of the run
  Lines arguments;
  bool emptyArgumentVector = false;
  // As user nobody when the tests run as root, so that modes count.
  bool asNobody = false;
  // The current directory is removed before the program starts.
  bool removeFolderFirst = false;
  ErrorStream errorStream = ErrorStream::kFile;
};

struct RunResult {
  int status = -1;
  Lines trace;
};

// Starts the program with standard error on errorFd (closed when negative),
// standard input and output on /dev/null.
pid_t StartProgram(const RunOptions& options, int errorFd) {
  // Everything the child needs is made before the fork.
  std::vector<char*> argv;
  if (!options.emptyArgumentVector)
    argv.push_back(const_cast<char*>(kProgram));
  for (const std::string& argument : options.arguments)
    argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  const char* folder = options.folder.c_str();
  const bool switchUser = options.asNobody && geteuid() == 0;
  const bool closeAll = options.errorStream == ErrorStream::kClosed;
  const bool removeFolder = options.removeFolderFirst;
  const int null = open("/dev/null", O_RDWR | O_CLOEXEC);
  struct sigaction standard {};
  standard.sa_handler = SIG_DFL;

  const pid_t child = fork();
  if (child == 0) {
    // A shell starts programs with the default SIGPIPE action.
    sigaction(SIGPIPE, &standard, nullptr);
    if (closeAll) {
      close(STDIN_FILENO);
      close(STDOUT_FILENO);
      close(STDERR_FILENO);
    } else {
      if (null < 0 || dup2(null, STDIN_FILENO) < 0 ||
          dup2(null, STDOUT_FILENO) < 0)
        _exit(120);
      if (errorFd >= 0 ? dup2(errorFd, STDERR_FILENO) < 0
                       : close(STDERR_FILENO) != 0)
        _exit(121);
    }
    if (chdir(folder) != 0) _exit(122);
    if (removeFolder && rmdir(folder) != 0) _exit(123);
    if (switchUser && (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 ||
                       setuid(kNobody) != 0))
      _exit(124);
    execve(kProgram, argv.data(), environ);
    _exit(127);
  }
  if (null >= 0) close(null);
  return child;
}

class HostileRun : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(temp_.path().empty());
    char real[PATH_MAX];
    ASSERT_NE(realpath(temp_.path().c_str(), real), nullptr);
    root_ = real;
    disc_ = root_ + "/disc";
    ASSERT_TRUE(MakeFolder(disc_));
    // Probes run as nobody log here too.
    const std::string logs = root_ + "/logs";
    ASSERT_TRUE(MakeFolder(logs));
    ASSERT_EQ(chmod(logs.c_str(), 0777), 0);
    log_ = logs + "/started.txt";
    ASSERT_TRUE(WriteFile(log_, "", 0666));
    venId_ = PresentVenId();
  }

  // Most runs need a vendor that a present device matches.
  bool HaveDevice() const { return !venId_.empty(); }

  // A setup at path that logs "$0|$*" and does nothing else.
  void AddProbe(const std::string& path) {
    ASSERT_TRUE(WriteFile(path,
                          "#!/bin/sh\nprintf '%s|%s\\n' \"$0\" \"$*\" >>'" +
                              log_ + "'\n",
                          0755))
        << path;
  }

  void AddFolders(const Lines& relativePaths) {
    for (const std::string& path : relativePaths)
      ASSERT_TRUE(MakeFolder(disc_ + "/" + path)) << path;
  }

  void WriteIni(const std::string& contents) {
    ASSERT_TRUE(WriteFile(disc_ + "/Pomvarin.ini", contents));
  }

  // One vendor entry; eol ends every line.
  static std::string OneVendorIni(const std::string& venId,
                                  const std::string& rootDir,
                                  const std::string& setup,
                                  const std::string& silent,
                                  const std::string& eol = "\n") {
    return "[PomvarinInfo]" + eol + "VendorCount=1" + eol + "[VendorInfo1]" +
           eol + "VenName=Probe" + eol + "VenID=" + venId + eol +
           "SetupFileRootDir=" + rootDir + eol + "SetupFileName=" + setup +
           eol + "SilentInstall=" + silent + eol;
  }

  RunResult Run(const RunOptions& options) {
    const std::string errorPath = root_ + "/stderr.txt";
    int errorFd = -1;
    switch (options.errorStream) {
      case ErrorStream::kFile:
        errorFd = open(errorPath.c_str(),
                       O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        break;
      case ErrorStream::kClosed:
        break;
      case ErrorStream::kDeviceFull:
        errorFd = open("/dev/full", O_WRONLY | O_CLOEXEC);
        break;
      case ErrorStream::kBrokenPipe: {
        int ends[2];
        if (pipe2(ends, O_CLOEXEC) == 0) {
          close(ends[0]);  // nobody will ever read
          errorFd = ends[1];
        }
        break;
      }
    }
    RunResult result;
    if (options.errorStream != ErrorStream::kClosed && errorFd < 0) {
      ADD_FAILURE() << "no standard error for the run";
      return result;
    }
    const pid_t child = StartProgram(options, errorFd);
    if (errorFd >= 0) close(errorFd);
    if (child < 0) {
      ADD_FAILURE() << "fork failed";
      return result;
    }
    result.status = WaitForExit(child);
    if (options.errorStream == ErrorStream::kFile)
      result.trace = SplitLines(ReadFileText(errorPath));
    return result;
  }

  RunResult RunInDisc(const Lines& arguments = {}) {
    RunOptions options;
    options.folder = disc_;
    options.arguments = arguments;
    return Run(options);
  }

  // The probes' log lines, sorted, once count of them are there: the
  // setups run detached from the program.
  Lines Started(std::size_t count) const {
    Lines lines;
    PollUntil([&] {
      lines = SplitLines(ReadFileText(log_));
      return lines.size() >= count;
    });
    return Sorted(lines);
  }

  void ClearLog() { ASSERT_TRUE(WriteFile(log_, "", 0666)); }

  // The run's exit status, its whole trace, and the setups it started.
  void ExpectRun(const RunResult& run, const Lines& trace,
                 const Lines& started) const {
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.trace, trace);
    EXPECT_EQ(Started(started.size()), Sorted(started));
  }

  void ExpectUnchanged(const Snapshot& before, const std::string& folder) {
    EXPECT_EQ(FirstDifference(before, TakeSnapshot(folder)), "")
        << "the run wrote in " << folder;
  }

  TempTree temp_;
  std::string root_;
  std::string disc_;
  std::string log_;
  std::string venId_;
};

#define REQUIRE_PCI_DEVICE()                                          \
  do {                                                                \
    if (!HaveDevice()) GTEST_SKIP() << "no PCI devices on this machine"; \
  } while (false)

// ---- Arguments and standard streams ---------------------------------------

// Linux takes no single argument past 128 KiB, so the megabyte comes as 16
// arguments; the program joins them with blanks as Windows hands them over.
TEST_F(HostileRun, MegabyteArgumentsAreTracedWholeAsOneLine) {
  REQUIRE_PCI_DEVICE();
  AddFolders({"Drivers", "Drivers/V"});
  AddProbe(disc_ + "/Drivers/V/setup.sh");
  WriteIni(OneVendorIni(venId_, "\\Drivers", "setup.sh -normal",
                        "setup.sh -quiet"));
  const Snapshot before = TakeSnapshot(disc_);

  struct Case {
    const char* last;
    bool silent;
  };
  const Case cases[] = {{"/s", true}, {"-x", false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.last);
    ClearLog();
    Lines arguments(16, std::string(64 * 1024, 'a'));
    arguments.push_back(c.last);
    std::string joined;
    for (const std::string& argument : arguments)
      joined += (joined.empty() ? "" : " ") + argument;
    ASSERT_GE(joined.size(), 1u << 20);

    const RunResult run = RunInDisc(arguments);
    EXPECT_EQ(run.status, 0);
    ASSERT_FALSE(run.trace.empty());
    // Compared apart, so that a failure does not print a megabyte.
    EXPECT_TRUE(run.trace[0] == joined)
        << "the first trace line has " << run.trace[0].size()
        << " characters, the arguments " << joined.size();
    Lines rest(run.trace.begin() + 1, run.trace.end());
    Lines expected = {venId_, SecondPass(venId_),
                      disc_ + "\\Drivers\\V\\setup.sh"};
    if (c.silent) expected.push_back(kSilentTrace);
    expected.push_back(disc_ + "\\Drivers");
    EXPECT_EQ(rest, expected);
    EXPECT_EQ(Started(1),
              Lines{disc_ + "/Drivers/V/setup.sh|" +
                    (c.silent ? "-quiet" : "-normal")});
  }
  ExpectUnchanged(before, disc_);
}

// Linux may hand an empty argument vector an empty program name; either way
// the program has no arguments.
TEST_F(HostileRun, EmptyArgumentVector) {
  RunOptions options;
  options.folder = disc_;
  options.emptyArgumentVector = true;
  const Snapshot before = TakeSnapshot(disc_);
  ExpectRun(Run(options), {"", kWarning}, {});
  ExpectUnchanged(before, disc_);
}

// The trace cannot be written: the run goes on as if it had been.
TEST_F(HostileRun, StandardErrorThatTakesNoTrace) {
  REQUIRE_PCI_DEVICE();
  AddFolders({"Drivers"});
  AddProbe(disc_ + "/Drivers/setup.sh");
  WriteIni(OneVendorIni(venId_, "\\Drivers", "setup.sh /n", "setup.sh /q"));
  const Snapshot before = TakeSnapshot(disc_);
  struct Case {
    const char* name;
    ErrorStream stream;
  };
  const Case cases[] = {{"all standard streams closed", ErrorStream::kClosed},
                        {"/dev/full", ErrorStream::kDeviceFull}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ClearLog();
    RunOptions options;
    options.folder = disc_;
    options.errorStream = c.stream;
    EXPECT_EQ(Run(options).status, 0);
    EXPECT_EQ(Started(1), Lines{disc_ + "/Drivers/setup.sh|/n"});
  }
  ExpectUnchanged(before, disc_);
}

// A pipe whose reader has gone (pomvarin 2>&1 | head -c0) takes no trace,
// but the run goes on: it must not be ended by SIGPIPE at its first line.
TEST_F(HostileRun, TraceIntoAClosedPipeDoesNotEndTheRun) {
  REQUIRE_PCI_DEVICE();
  AddFolders({"Drivers"});
  AddProbe(disc_ + "/Drivers/setup.sh");
  WriteIni(OneVendorIni(venId_, "\\Drivers", "setup.sh /n", "setup.sh /q"));
  const Snapshot before = TakeSnapshot(disc_);
  RunOptions options;
  options.folder = disc_;
  options.errorStream = ErrorStream::kBrokenPipe;
  const RunResult run = Run(options);
  EXPECT_EQ(run.status, 0) << "1000 + n: ended by signal n (SIGPIPE is "
                           << SIGPIPE << ")";
  if (run.status == 0) {
    EXPECT_EQ(Started(1), Lines{disc_ + "/Drivers/setup.sh|/n"});
  }
  ExpectUnchanged(before, disc_);
}

// ---- The current directory -------------------------------------------------

// A Text holds 259 characters: a directory of 246 still gives a configuration
// path ("\Pomvarin.ini" is 13 more); longer ones, or one that cannot be read
// at all, leave the run without vendors and without device questions.
TEST_F(HostileRun, CurrentDirectoryPastThePlatformLimit) {
  REQUIRE_PCI_DEVICE();
  struct Case {
    std::size_t length;
    bool configurationRead;
  };
  const Case cases[] = {{246, true},  {247, false}, {259, false},
                        {260, false}, {300, false}, {1000, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    ClearLog();
    const std::string folder = MakeFolderOfLength(
        root_ + "/L" + std::to_string(c.length), c.length);
    ASSERT_EQ(folder.size(), c.length);
    // The vendor folder is the current directory itself (an empty value).
    ASSERT_TRUE(WriteFile(folder + "/Pomvarin.ini",
                          OneVendorIni(venId_, "", "s", "s")));
    AddProbe(folder + "/s");
    const Snapshot before = TakeSnapshot(folder);

    RunOptions options;
    options.folder = folder;
    const RunResult run = Run(options);
    if (c.configurationRead) {
      ExpectRun(run,
                {"", venId_, SecondPass(venId_), folder + "\\s", folder},
                {folder + "/s|"});
    } else {
      ExpectRun(run, {"", kWarning}, {});
    }
    ExpectUnchanged(before, folder);
  }
}

TEST_F(HostileRun, CurrentDirectoryRemovedBeforeTheRun) {
  const std::string folder = root_ + "/gone";
  ASSERT_TRUE(MakeFolder(folder));
  RunOptions options;
  options.folder = folder;
  options.removeFolderFirst = true;
  ExpectRun(Run(options), {"", kWarning}, {});
}

// ---- Pomvarin.ini ----------------------------------------------------------

TEST_F(HostileRun, IniValuesPastTheLimitAreCutTo259) {
  REQUIRE_PCI_DEVICE();
  AddFolders({"Drivers", "Drivers/V"});
  AddProbe(disc_ + "/Drivers/V/setup.sh");
  const std::string longId = "ven_zzzz" + std::string(292, 'q');
  const std::string longSetup =
      "setup.sh " + std::string(290, 'a') + " tail";
  const std::string longRoot = "\\" + std::string(299, 'r');
  WriteIni("[PomvarinInfo]\nVendorCount=3\n"
           "[VendorInfo1]\nVenName=" + std::string(300, 'n') +
           "\nVenID=" + longId +
           "\n"
           "[VendorInfo2]\nVenID=" + venId_ +
           "\nSetupFileRootDir=\\Drivers\\V\nSetupFileName=" + longSetup +
           "\n"
           "[VendorInfo3]\nVenID=" + venId_ + "\nSetupFileRootDir=" +
           longRoot + "\n");
  const Snapshot before = TakeSnapshot(disc_);

  const std::string upper = "VEN_ZZZZ" + std::string(251, 'Q');
  const std::string lower = "Ven_zzzz" + std::string(251, 'q');
  ASSERT_EQ(upper.size(), 259u);
  // The third root is traced whole but, past the limit, not searched.
  ExpectRun(RunInDisc(),
            {"", upper, lower, venId_, SecondPass(venId_),
             disc_ + "\\Drivers\\V\\setup.sh", disc_ + "\\Drivers\\V",
             venId_, SecondPass(venId_), disc_ + longRoot.substr(0, 259)},
            // The setup command keeps its first 259 characters: the name,
            // the blank and 250 of the a's.
            {disc_ + "/Drivers/V/setup.sh|" + std::string(250, 'a')});
  ExpectUnchanged(before, disc_);
}

std::string Utf16(const std::string& text, bool bigEndian) {
  std::string encoded = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (char c : text) {
    if (bigEndian) encoded += '\0';
    encoded += c;
    if (!bigEndian) encoded += '\0';
  }
  return encoded;
}

// Files that are no clean text: each is read by the rules of the reader,
// or, when no section can be found, gives the defaults (no vendor, the
// warning).
TEST_F(HostileRun, IniFilesThatAreNoCleanText) {
  REQUIRE_PCI_DEVICE();
  AddFolders({"Drivers"});
  AddProbe(disc_ + "/Drivers/setup.sh");
  const std::string good =
      OneVendorIni(venId_, "\\Drivers", "setup.sh /n", "setup.sh /q");

  std::string binary;
  for (int i = 0; i < 256; ++i) binary += static_cast<char>(i);
  std::uint32_t seed = 12345;
  while (binary.size() < 64 * 1024) {
    seed = seed * 1103515245u + 12345u;
    binary += static_cast<char>(seed >> 16);
  }

  std::string sections;
  for (int n = 1; n <= 100000; ++n)
    sections += "[Filler" + std::to_string(n) + "]\nKey=Value\n";

  // The last line, without its newline, is the one the normal run uses.
  const std::string withoutFinalNewline =
      "[PomvarinInfo]\nVendorCount=1\n[VendorInfo1]\nVenID=" + venId_ +
      "\nSetupFileRootDir=\\Drivers\nSilentInstall=setup.sh /q\n"
      "SetupFileName=setup.sh /n";

  const std::string withNul =
      std::string("\0\0\0\n", 4) + "[PomvarinInfo]\n" +
      std::string("\0\n", 2) + "VendorCount=1\n" +
      std::string("[Vendor\0Info1]\nVenID=nothing\n", 29) +
      "[VendorInfo1]\nVenID=" + venId_ + "\nSetupFileRootDir=\\Drivers\n" +
      std::string("SetupFileName=setup.sh /n\0/junk\n", 32);

  struct Case {
    const char* name;
    std::string file;
    bool read;  // false: the defaults
  };
  const Case cases[] = {
      {"binary", binary, false},
      {"UTF-16 LE with BOM", Utf16(good, false), false},
      {"UTF-16 BE with BOM", Utf16(good, true), false},
      {"only NUL bytes", std::string(4096, '\0'), false},
      {"empty", "", false},
      {"UTF-8 BOM", "\xEF\xBB\xBF" + good, true},
      {"CRLF", OneVendorIni(venId_, "\\Drivers", "setup.sh /n",
                            "setup.sh /q", "\r\n"),
       true},
      {"no final newline", withoutFinalNewline, true},
      {"NUL bytes", withNul, true},
      {"100000 sections before the wanted ones", sections + good, true},
      {"a line of a megabyte",
       "[Other]\nKey=" + std::string(1 << 20, 'x') + "\n" + good, true},
  };
  const Snapshot before = TakeSnapshot(disc_ + "/Drivers");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ClearLog();
    WriteIni(c.file);
    const Snapshot withIni = TakeSnapshot(disc_);
    const RunResult run = RunInDisc();
    if (c.read) {
      ExpectRun(run,
                {"", venId_, SecondPass(venId_),
                 disc_ + "\\Drivers\\setup.sh", disc_ + "\\Drivers"},
                {disc_ + "/Drivers/setup.sh|/n"});
    } else {
      ExpectRun(run, {"", kWarning}, {});
    }
    ExpectUnchanged(withIni, disc_);
  }
  ExpectUnchanged(before, disc_ + "/Drivers");
}

// A Pomvarin.ini that is a FIFO reads as absent; the run must not wait for a
// writer. Should it wait, the test plays that writer once it sees the
// program blocked, so that the run ends and the fault is reported.
TEST_F(HostileRun, FifoAsIniReadsAsAbsent) {
  const std::string fifo = disc_ + "/Pomvarin.ini";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
  const Snapshot before = TakeSnapshot(disc_);
  const std::string errorPath = root_ + "/stderr.txt";
  const int errorFd =
      open(errorPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  ASSERT_GE(errorFd, 0);
  RunOptions options;
  options.folder = disc_;
  const pid_t child = StartProgram(options, errorFd);
  close(errorFd);
  ASSERT_GT(child, 0);

  bool waitedForWriter = false;
  int status = -1;
  const bool ended = PollUntil([&] {
    int raw = 0;
    if (waitpid(child, &raw, WNOHANG) == child) {
      status = DecodeStatus(raw);
      return true;
    }
    if (!waitedForWriter && SleepsIn(child, SYS_openat, nullptr)) {
      // A writer that closes at once: the program then reads an empty file.
      const int writer = open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
      if (writer >= 0) {
        waitedForWriter = true;
        close(writer);
      }
    }
    return false;
  });
  if (!ended) {
    kill(child, SIGKILL);
    WaitForExit(child);
  }
  ASSERT_TRUE(ended) << "the run did not end";
  EXPECT_FALSE(waitedForWriter)
      << "the run waited for a writer on the FIFO Pomvarin.ini";
  EXPECT_EQ(status, 0);
  EXPECT_EQ(SplitLines(ReadFileText(errorPath)), (Lines{"", kWarning}));
  ExpectUnchanged(before, disc_);
}

// A user that may not read Pomvarin.ini gets the defaults.
TEST_F(HostileRun, UnreadableIniGivesTheDefaults) {
  REQUIRE_PCI_DEVICE();
  AddFolders({"Drivers"});
  AddProbe(disc_ + "/Drivers/setup.sh");
  WriteIni(OneVendorIni(venId_, "\\Drivers", "setup.sh /n", "setup.sh /q"));
  ASSERT_EQ(chmod((disc_ + "/Pomvarin.ini").c_str(), 0), 0);
  const Snapshot before = TakeSnapshot(disc_);
  RunOptions options;
  options.folder = disc_;
  options.asNobody = true;
  ExpectRun(Run(options), {"", kWarning}, {});
  ExpectUnchanged(before, disc_);
}

// ---- Folder trees ----------------------------------------------------------

TEST_F(HostileRun, TreeThreeHundredFoldersDeep) {
  REQUIRE_PCI_DEVICE();
  // A file at depth k has the path root + k * "\d" + "\setup.sh" (9). The
  // vendor folder's name makes the root's length even, so that one depth
  // gives exactly 259 characters.
  std::string top = "T";
  if ((disc_.size() + 1 + top.size()) % 2 != 0) top = "TT";
  const std::string root = disc_ + "\\" + top;
  const std::size_t limitDepth = (259 - 9 - root.size()) / 2;
  const auto windowsPath = [&](std::size_t depth) {
    return root + Repeat("\\d", depth) + "\\setup.sh";
  };
  ASSERT_EQ(windowsPath(limitDepth).size(), 259u);
  ASSERT_EQ(windowsPath(limitDepth + 1).size(), 261u);
  ASSERT_LT(limitDepth + 1, 150u);

  std::string folder = disc_ + "/" + top;
  std::vector<std::string> folders = {folder};
  ASSERT_TRUE(MakeFolder(folder));
  for (int depth = 1; depth < 300; ++depth) {
    folder += "/d";
    ASSERT_TRUE(MakeFolder(folder)) << depth;
    folders.push_back(folder);
  }
  const std::size_t setupDepths[] = {0, 1, 10, limitDepth, limitDepth + 1,
                                     150, 299};
  for (std::size_t depth : setupDepths) AddProbe(folders[depth] + "/setup.sh");
  WriteIni(OneVendorIni(venId_, "\\" + top, "setup.sh", "setup.sh"));
  const Snapshot before = TakeSnapshot(disc_);

  // Depth first: a folder's subfolder "d" is listed before its setup.
  Lines started;
  for (std::size_t depth : {limitDepth, std::size_t{10}, std::size_t{1},
                            std::size_t{0}})
    started.push_back(folders[depth] + "/setup.sh|");
  ExpectRun(RunInDisc(),
            {"", venId_, SecondPass(venId_), windowsPath(limitDepth),
             windowsPath(10), windowsPath(1), windowsPath(0), root},
            started);
  ExpectUnchanged(before, disc_);
}

TEST_F(HostileRun, FolderOfHundredThousandEntries) {
  REQUIRE_PCI_DEVICE();
  AddFolders({"Drivers", "Drivers/Big"});
  const std::string big = disc_ + "/Drivers/Big";
  // 1,000 empty folders and 98,999 files, then the setup: its name sorts
  // last.
  for (int i = 0; i < 1000; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "/e%04d", i);
    ASSERT_TRUE(MakeFolder(big + name));
  }
  ASSERT_TRUE(CreateEmptyFiles(big, "f%06d", 98999));
  AddProbe(big + "/zsetup.sh");
  WriteIni(OneVendorIni(venId_, "\\Drivers", "zsetup.sh", "zsetup.sh"));
  const Snapshot before = TakeSnapshot(disc_);
  ASSERT_EQ(before.size(), 1u + 1 + 1 + 1 + 100000);  // disc, ini, Drivers, Big

  ExpectRun(RunInDisc(),
            {"", venId_, SecondPass(venId_),
             disc_ + "\\Drivers\\Big\\zsetup.sh", disc_ + "\\Drivers"},
            {big + "/zsetup.sh|"});
  ExpectUnchanged(before, disc_);
}

// A folder reached again through a link back into the path is not entered;
// a link to a folder off the path is.
TEST_F(HostileRun, LinkCyclesEnd) {
  REQUIRE_PCI_DEVICE();
  AddFolders({"Drivers", "Drivers/A", "Drivers/A/z", "Drivers/B", "Drivers/P",
              "Drivers/Q"});
  const std::string drivers = disc_ + "/Drivers";
  const std::pair<const char*, const char*> links[] = {
      {"A/again", "."},          // two links to the folder itself
      {"A/more", "."},
      {"A/up", ".."},            // back to the vendor folder
      {"A/dangling", "absent"},  // leads nowhere
      {"A/knot", "knot"},        // a link to itself
      {"A/z/back", "../.."},
      {"P/q", "../Q"},           // P and Q lead to each other
      {"Q/p", "../P"},
  };
  for (const auto& link : links)
    ASSERT_EQ(symlink(link.second, (drivers + "/" + link.first).c_str()), 0)
        << link.first;
  for (const char* setup : {"A/z", "B", "Q"})
    AddProbe(drivers + "/" + setup + "/setup.sh");
  WriteIni(OneVendorIni(venId_, "\\Drivers", "setup.sh", "setup.sh"));
  const Snapshot before = TakeSnapshot(disc_);

  ExpectRun(RunInDisc(),
            {"", venId_, SecondPass(venId_),
             disc_ + "\\Drivers\\A\\z\\setup.sh",
             disc_ + "\\Drivers\\B\\setup.sh",
             disc_ + "\\Drivers\\P\\q\\setup.sh",
             disc_ + "\\Drivers\\Q\\setup.sh", disc_ + "\\Drivers"},
            {drivers + "/A/z/setup.sh|", drivers + "/B/setup.sh|",
             drivers + "/P/q/setup.sh|", drivers + "/Q/setup.sh|"});
  ExpectUnchanged(before, disc_);
}

// Two links a level to the next level, 40 levels: 2^40 paths lead to the
// bottom folder. It is walked once, and its setup starts once.
TEST_F(HostileRun, LinksThatFanOutAreWalkedOnce) {
  REQUIRE_PCI_DEVICE();
  const int levels = 40;
  const std::string drivers = disc_ + "/Drivers";
  AddFolders({"Drivers"});
  for (int n = 0; n <= levels; ++n) {
    const std::string level = drivers + "/L" + std::to_string(n);
    ASSERT_TRUE(MakeFolder(level));
    const std::string next = "../L" + std::to_string(n + 1);
    if (n == levels) continue;
    for (const char* link : {"a", "b"})
      ASSERT_EQ(symlink(next.c_str(), (level + "/" + link).c_str()), 0);
  }
  AddProbe(drivers + "/L" + std::to_string(levels) + "/setup.sh");
  WriteIni(OneVendorIni(venId_, "\\Drivers\\L0", "setup.sh", "setup.sh"));
  std::string bottom = "/Drivers/L0";
  for (int n = 0; n < levels; ++n) bottom += "/a";

  std::string traced = disc_ + bottom + "/setup.sh";
  std::replace(traced.begin() + disc_.size(), traced.end(), '/', '\\');
  ExpectRun(RunInDisc(),
            {"", venId_, SecondPass(venId_), traced,
             disc_ + "\\Drivers\\L0"},
            {disc_ + bottom + "/setup.sh|"});
}

// Root reads every folder, so the run is made as nobody there.
TEST_F(HostileRun, UnreadableFolderIsSkippedSilently) {
  REQUIRE_PCI_DEVICE();
  AddFolders({"Drivers", "Drivers/A", "Drivers/B", "Drivers/C"});
  const std::string drivers = disc_ + "/Drivers";
  for (const char* setup : {"A", "B", "C"})
    AddProbe(drivers + "/" + setup + "/setup.sh");
  ASSERT_EQ(chmod((drivers + "/B").c_str(), 0), 0);
  WriteIni(OneVendorIni(venId_, "\\Drivers", "setup.sh", "setup.sh"));
  const Snapshot before = TakeSnapshot(disc_);

  RunOptions options;
  options.folder = disc_;
  options.asNobody = true;
  ExpectRun(Run(options),
            {"", venId_, SecondPass(venId_),
             disc_ + "\\Drivers\\A\\setup.sh",
             disc_ + "\\Drivers\\C\\setup.sh", disc_ + "\\Drivers"},
            {drivers + "/A/setup.sh|", drivers + "/C/setup.sh|"});
  ExpectUnchanged(before, disc_);
  // The folder can be cleaned up also when the tests do not run as root.
  chmod((drivers + "/B").c_str(), 0755);
}

// The walk is held at a known point: standard error is a pipe of one page,
// filled by the first trace lines exactly, so the program stops in the write
// of the first setup's path, after the vendor folder was listed. Then the
// folder being walked and a later sibling are removed.
TEST_F(HostileRun, FolderRemovedWhileItIsWalked) {
  REQUIRE_PCI_DEVICE();
  AddFolders({"Drivers", "Drivers/A", "Drivers/A/A1", "Drivers/A/A2",
              "Drivers/B", "Drivers/C"});
  const std::string drivers = disc_ + "/Drivers";
  for (const char* setup : {"A/A1", "A/A2", "B", "C"})
    AddProbe(drivers + "/" + setup + "/setup.sh");
  WriteIni(OneVendorIni(venId_, "\\Drivers", "setup.sh", "setup.sh"));

  int ends[2];
  ASSERT_EQ(pipe2(ends, O_CLOEXEC), 0);
  const long page = sysconf(_SC_PAGESIZE);
  ASSERT_EQ(fcntl(ends[1], F_SETPIPE_SZ, page), page);
  // The arguments' line and the two VenID lines fill the page.
  const std::size_t argumentLength =
      static_cast<std::size_t>(page) - 2 * (venId_.size() + 1) - 1;
  RunOptions options;
  options.folder = disc_;
  options.arguments = {std::string(argumentLength, 'x')};
  const pid_t child = StartProgram(options, ends[1]);
  close(ends[1]);
  ASSERT_GT(child, 0);

  const bool held = PollUntil([&] {
    int queued = 0;
    return ioctl(ends[0], FIONREAD, &queued) == 0 && queued == page &&
           SleepsIn(child, SYS_writev, "0x2");
  });
  if (held) {
    EXPECT_TRUE(RemoveTree(drivers + "/A"));
    EXPECT_TRUE(RemoveTree(drivers + "/B"));
  }
  const Snapshot afterRemoval = TakeSnapshot(disc_);
  std::string trace;
  char buffer[4096];
  for (;;) {
    const ssize_t got = read(ends[0], buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    trace.append(buffer, static_cast<std::size_t>(got));
  }
  close(ends[0]);
  const int status = WaitForExit(child);
  ASSERT_TRUE(held) << "the program was not seen waiting in its trace";

  RunResult run{status, SplitLines(trace)};
  // A1's path is traced before its setup would start; by then it is gone,
  // so nothing starts. B is gone; C, listed after them, is still searched.
  ExpectRun(run,
            {options.arguments[0], venId_, SecondPass(venId_),
             disc_ + "\\Drivers\\A\\A1\\setup.sh",
             disc_ + "\\Drivers\\C\\setup.sh", disc_ + "\\Drivers"},
            {drivers + "/C/setup.sh|"});
  ExpectUnchanged(afterRemoval, disc_);
}

// ---- Devices, through the platform layer on a fake sysfs folder -------------

// Writes a device folder's number files as the kernel does.
bool WriteDevice(const std::string& folder, const char* vendor,
                 const char* device) {
  const std::pair<const char*, std::string> files[] = {
      {"vendor", std::string(vendor) + "\n"},
      {"device", std::string(device) + "\n"},
      {"subsystem_vendor", "0x1af4\n"},
      {"subsystem_device", "0x1100\n"},
      {"revision", "0x01\n"},
      {"class", "0x020000\n"},
  };
  if (!MakeFolder(folder)) return false;
  for (const auto& file : files) {
    if (!WriteFile(folder + "/" + file.first, file.second)) return false;
  }
  return true;
}

// Whether the matcher finds both texts in the device's first hardware ID.
bool DeviceMatches(platform::DeviceList list, std::uint32_t index,
                   const char* text) {
  const DeviceMatcher matcher;
  platform::DeviceRecord device;
  return platform::EnumerateDevice(list, index, &device) &&
         matcher.PropertyContains(list, device, platform::kPropertyHardwareId,
                                  text) &&
         matcher.PropertyContains(list, device, platform::kPropertyHardwareId,
                                  "PCI");
}

// The first hardware ID of the device at index, read in one request.
std::string FirstId(platform::DeviceList list, std::uint32_t index) {
  platform::DeviceRecord device;
  unsigned char buffer[kHardwareIdsSize];
  std::uint32_t required = 0;
  if (!platform::EnumerateDevice(list, index, &device) ||
      platform::ReadDeviceProperty(list, device, platform::kPropertyHardwareId,
                                   buffer, sizeof buffer, &required) !=
          platform::PropertyRead::kDone)
    return "";
  return reinterpret_cast<const char*>(buffer);
}

// Files the kernel would never show, and files a user may not read (run as
// nobody where the tests run as root). A device without a readable property
// matches nothing; the devices around it still do.
TEST(HostileDevices, UnreadableSysfsFilesMatchNothing) {
  TempTree temp;
  ASSERT_FALSE(temp.path().empty());
  const std::string devices = temp.Join("devices");
  ASSERT_TRUE(MakeFolder(devices));
  struct Case {
    const char* name;
    bool matches;
    void (*spoil)(const std::string& folder);
  };
  const Case cases[] = {
      {"good", true, [](const std::string&) {}},
      {"vendor unreadable", false,
       [](const std::string& f) { chmod((f + "/vendor").c_str(), 0); }},
      {"device unreadable", false,
       [](const std::string& f) { chmod((f + "/device").c_str(), 0); }},
      {"subsystem_vendor unreadable", false,
       [](const std::string& f) {
         chmod((f + "/subsystem_vendor").c_str(), 0);
       }},
      {"subsystem_device unreadable", false,
       [](const std::string& f) {
         chmod((f + "/subsystem_device").c_str(), 0);
       }},
      {"revision unreadable, config not tried", false,
       [](const std::string& f) {
         chmod((f + "/revision").c_str(), 0);
         WriteFile(f + "/config", std::string(64, '\x01'));
       }},
      {"class unreadable", false,
       [](const std::string& f) { chmod((f + "/class").c_str(), 0); }},
      {"device folder unreadable", false,
       [](const std::string& f) { chmod(f.c_str(), 0); }},
      {"no revision, config unreadable", false,
       [](const std::string& f) {
         unlink((f + "/revision").c_str());
         WriteFile(f + "/config", std::string(64, '\x01'), 0);
       }},
      {"vendor is a folder", false,
       [](const std::string& f) {
         unlink((f + "/vendor").c_str());
         MakeFolder(f + "/vendor");
       }},
      {"vendor never ends", false,
       [](const std::string& f) {
         unlink((f + "/vendor").c_str());
         symlink("/dev/zero", (f + "/vendor").c_str());
       }},
      // The uevent file comes first; the number files stand in for one
      // that gives nothing, and are not read past one that names a device.
      {"uevent never ends, number files read", true,
       [](const std::string& f) {
         symlink("/dev/zero", (f + "/uevent").c_str());
       }},
      {"uevent unreadable, number files read", true,
       [](const std::string& f) {
         WriteFile(f + "/uevent",
                   "PCI_CLASS=20000\nPCI_ID=10EC:8139\nPCI_SUBSYS_ID=1AF4:1100\n",
                   0);
       }},
      {"uevent names another device", false,
       [](const std::string& f) {
         WriteFile(f + "/uevent",
                   "PCI_CLASS=20000\nPCI_ID=10EC:8139\nPCI_SUBSYS_ID=1AF4:1100\n");
       }},
      {"good after the others", true, [](const std::string&) {}},
  };
  std::string expected;
  for (std::size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "/0000:00:%02zx.0", i);
    const std::string folder = devices + name;
    ASSERT_TRUE(WriteDevice(folder, "0x1af4", "0x1045")) << cases[i].name;
    cases[i].spoil(folder);
    expected += cases[i].matches ? '1' : '0';
  }

  // The child answers with one character per device.
  int ends[2];
  ASSERT_EQ(pipe2(ends, O_CLOEXEC), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (geteuid() == 0 && (setgroups(0, nullptr) != 0 ||
                           setgid(kNobody) != 0 || setuid(kNobody) != 0))
      _exit(2);
    platform::DeviceList list =
        platform::posix::OpenPciDeviceList(devices.c_str(), "PCI");
    if (!list) _exit(3);
    std::string answers;
    platform::DeviceRecord device;
    for (std::uint32_t i = 0; platform::EnumerateDevice(list, i, &device); ++i)
      answers += DeviceMatches(list, i, "VEN_1AF4&DEV_1045") ? '1' : '0';
    platform::CloseDeviceList(list);
    const bool written = write(ends[1], answers.data(), answers.size()) ==
                         static_cast<ssize_t>(answers.size());
    _exit(written ? 0 : 4);
  }
  close(ends[1]);
  std::string answers;
  char buffer[256];
  ssize_t got;
  while ((got = read(ends[0], buffer, sizeof buffer)) > 0)
    answers.append(buffer, static_cast<std::size_t>(got));
  close(ends[0]);
  EXPECT_EQ(WaitForExit(child), 0);
  EXPECT_EQ(answers, expected) << "one character per device, in name order";
  for (std::size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "/0000:00:%02zx.0", i);
    chmod((devices + name).c_str(), 0755);
  }
}

// As sysfs does, the device entries are links to the device folders. The
// names in byte order are the index order.
TEST(HostileDevices, TenThousandDevicesAllListedTheLastMatches) {
  TempTree temp;
  ASSERT_FALSE(temp.path().empty());
  const std::string devices = temp.Join("devices");
  const std::string targets = temp.Join("targets");
  ASSERT_TRUE(MakeFolder(devices));
  ASSERT_TRUE(MakeFolder(targets));
  constexpr int kShared = 16;
  constexpr std::uint32_t kCount = 10000;
  for (int t = 0; t < kShared; ++t) {
    char device[8];
    std::snprintf(device, sizeof device, "0x10%02x", t);
    ASSERT_TRUE(WriteDevice(targets + "/t" + std::to_string(t), "0x1af4",
                            device));
  }
  ASSERT_TRUE(WriteDevice(targets + "/last", "0xabcd", "0x0001"));
  for (std::uint32_t i = 0; i < kCount; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "/%04x:%02x:%02x.%x", 0u, i / 256,
                  (i / 8) % 32, i % 8);
    const std::string target =
        i + 1 == kCount ? "../targets/last"
                        : "../targets/t" + std::to_string(i % kShared);
    ASSERT_EQ(symlink(target.c_str(), (devices + name).c_str()), 0) << name;
  }

  platform::DeviceList list =
      platform::posix::OpenPciDeviceList(devices.c_str(), "PCI");
  ASSERT_NE(list, nullptr);
  platform::ScopedDeviceList owner(list);
  std::uint32_t count = 0;
  platform::DeviceRecord device;
  while (platform::EnumerateDevice(list, count, &device)) ++count;
  EXPECT_EQ(count, kCount);

  // Every device's own first ID, then the matcher's question for the one
  // vendor only the last device has.
  std::uint32_t misread = 0;
  std::vector<std::uint32_t> matches;
  for (std::uint32_t i = 0; i < count; ++i) {
    char expected[64];
    if (i + 1 < kCount) {
      std::snprintf(expected, sizeof expected,
                    "PCI\\VEN_1AF4&DEV_10%02X&SUBSYS_11001AF4&REV_01",
                    i % kShared);
    } else {
      std::snprintf(expected, sizeof expected,
                    "PCI\\VEN_ABCD&DEV_0001&SUBSYS_11001AF4&REV_01");
    }
    if (FirstId(list, i) != expected) ++misread;
    if (DeviceMatches(list, i, "VEN_ABCD")) matches.push_back(i);
  }
  EXPECT_EQ(matches, std::vector<std::uint32_t>{kCount - 1});
  EXPECT_EQ(misread, 0u) << "devices not read as their own";
}

}  // namespace
}  // namespace pomvarin
