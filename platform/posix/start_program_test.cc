#include "platform/posix/start_program.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "tests/posix_temp_files.h"

namespace pomvarin::platform::posix {
namespace {

using test_support::CurrentFolderGuard;
using test_support::Exists;
using test_support::MakeFolder;
using test_support::ReadFileText;
using test_support::StreamCapture;
using test_support::TempFolder;
using test_support::WindowsSeparators;
using test_support::WriteFile;

// Records how it was started into "record" beside itself; the record
// appears whole, by a rename. With "wait" as its first argument it first
// waits for a "release" file, at most about ten seconds.
const char kProbeScript[] = R"script(#!/bin/sh
PATH=/usr/bin:/bin
folder=$(dirname "$0")
waited=none
if [ "$1" = wait ]; then
  waited=gave-up
  tries=0
  while [ $tries -lt 200 ]; do
    if [ -e "$folder/release" ]; then waited=released; break; fi
    sleep 0.05
    tries=$((tries + 1))
  done
fi
echo to-stdout
echo to-stderr >&2
# Read before the record's own redirection changes them.
stdin=$(readlink /proc/$$/fd/0)
stdout=$(readlink /proc/$$/fd/1)
stderr=$(readlink /proc/$$/fd/2)
{
  printf 'program=%s\n' "$0"
  for argument in "$@"; do printf 'argument=[%s]\n' "$argument"; done
  printf 'folder=%s\n' "$(pwd)"
  printf 'stdin=%s\nstdout=%s\nstderr=%s\n' "$stdin" "$stdout" "$stderr"
  printf 'waited=%s\n' "$waited"
  # Read now, after any wait: the parent and the ignored-signal mask.
  awk '{ print "parent=" $4 }' /proc/$$/stat
  sed -n 's/^SigIgn:[[:space:]]*/ignored=/p' /proc/$$/status
} > "$folder/record.partial"
mv "$folder/record.partial" "$folder/record"
)script";

// Stands in for the desktop's opener, which this machine may lack and which
// would start a desktop program: appends its arguments as one line to
// "opened" beside itself, in one write.
const char kOpenerScript[] = R"script(#!/bin/sh
PATH=/usr/bin:/bin
line=$(printf '%s|' "$@")
printf '%s\n' "$line" >> "$(dirname "$0")/opened"
)script";

// Polls in small steps, for about twenty seconds at most.
template <typename Condition>
bool HoldsSoon(Condition condition) {
  for (int tries = 0; tries < 2000; ++tries) {
    if (condition()) return true;
    usleep(10000);
  }
  return false;
}

bool AppearsSoon(const std::string& path) {
  return HoldsSoon([&] { return Exists(path); });
}

// The first line the opener wrote, once there is one.
std::string FirstOpenedLine(const std::string& log) {
  std::string text;
  HoldsSoon([&] {
    text = ReadFileText(log);
    return text.find('\n') != std::string::npos;
  });
  return text.substr(0, text.find('\n') + 1);
}

// No child is left, not even one that ended.
bool HasNoChildren() {
  int status;
  return waitpid(-1, &status, WNOHANG) < 0 && errno == ECHILD;
}

// Calls StartProgram in a process of its own that then exits, as the
// launcher's run does, and waits for that process; returns its id. Like the
// launcher it ignores SIGPIPE.
pid_t StartFromALauncher(const char* path, const char* parameters,
                         ShowCommand show) {
  const pid_t launcher = fork();
  if (launcher == 0) {
    signal(SIGPIPE, SIG_IGN);
    StartProgram(path, parameters, show);
    _exit(0);
  }
  int status;
  while (launcher > 0 && waitpid(launcher, &status, 0) < 0 && errno == EINTR) {
  }
  return launcher;
}

class PathVariable {
 public:
  explicit PathVariable(const std::string& value) {
    const char* saved = std::getenv("PATH");
    hadValue_ = saved != nullptr;
    if (saved) saved_ = saved;
    setenv("PATH", value.c_str(), 1);
  }
  ~PathVariable() {
    if (hadValue_) {
      setenv("PATH", saved_.c_str(), 1);
    } else {
      unsetenv("PATH");
    }
  }

 private:
  bool hadValue_;
  std::string saved_;
};

class StartProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(folder_.path().empty());
    probeFolder_ = folder_.Join("disc");
    probe_ = probeFolder_ + "/setup.sh";
    ASSERT_TRUE(MakeFolder(probeFolder_));
    ASSERT_TRUE(WriteFile(probe_, kProbeScript, 0755));
    ASSERT_TRUE(MakeFolder(folder_.Join("work")));
    ASSERT_EQ(chdir(folder_.Join("work").c_str()), 0);
  }

  std::string Record() {
    const std::string record = probeFolder_ + "/record";
    EXPECT_TRUE(AppearsSoon(record));
    return ReadFileText(record);
  }

  TempFolder folder_;
  CurrentFolderGuard guard_;
  std::string probeFolder_;
  std::string probe_;
};

struct ArgumentsCase {
  const char* parameters;
  const char* recordedArguments;
};

void PrintTo(const ArgumentsCase& c, std::ostream* out) {
  *out << ::testing::PrintToString(std::string(c.parameters));
}

class StartedArguments
    : public StartProgramTest,
      public ::testing::WithParamInterface<ArgumentsCase> {};

TEST_P(StartedArguments, ProgramGetsSplitParametersAndTheCurrentFolder) {
  StartFromALauncher(WindowsSeparators(probe_).c_str(), GetParam().parameters,
                     ShowCommand::kHide);
  EXPECT_TRUE(HasNoChildren());
  const std::string record = Record();
  EXPECT_NE(record.find("program=" + probe_ + "\n" +
                        GetParam().recordedArguments + "folder=" +
                        folder_.Join("work") + "\n"),
            std::string::npos)
      << record;
}

INSTANTIATE_TEST_SUITE_P(
    Parameters, StartedArguments,
    ::testing::Values(
        ArgumentsCase{"", ""},
        ArgumentsCase{" /S", "argument=[/S]\n"},
        ArgumentsCase{" /q  \"two words\"\tlast",
                      "argument=[/q]\nargument=[two words]\nargument=[last]\n"},
        ArgumentsCase{" C:\\Disc\\a.inf \"\"",
                      "argument=[C:\\Disc\\a.inf]\nargument=[]\n"}));

TEST_F(StartProgramTest, HiddenProgramTalksToDevNull) {
  StartFromALauncher(probe_.c_str(), "", ShowCommand::kHide);
  const std::string record = Record();
  EXPECT_NE(record.find("stdin=/dev/null\nstdout=/dev/null\nstderr=/dev/null\n"),
            std::string::npos)
      << record;
}

TEST_F(StartProgramTest, ShownProgramInheritsTheStreams) {
  const std::string out = folder_.Join("out");
  const std::string err = folder_.Join("err");
  {
    StreamCapture captureOut(STDOUT_FILENO, out);
    StreamCapture captureErr(STDERR_FILENO, err);
    StartFromALauncher(probe_.c_str(), "", ShowCommand::kShow);
  }
  const std::string record = Record();
  EXPECT_NE(record.find("stdout=" + out + "\nstderr=" + err + "\n"),
            std::string::npos)
      << record;
  EXPECT_EQ(ReadFileText(out), "to-stdout\n");
  EXPECT_EQ(ReadFileText(err), "to-stderr\n");
}

// The program waits for a file made only after the launcher exited: had
// StartProgram waited for it, the program would have given up first. Once
// the launcher is gone the program, still running, is nobody's child here:
// the system adopted it. It does not inherit the launcher's ignored SIGPIPE.
TEST_F(StartProgramTest, ReturnsWithoutWaitingAndLeavesNobodyToWait) {
  const pid_t launcher =
      StartFromALauncher(probe_.c_str(), " wait", ShowCommand::kHide);
  ASSERT_GT(launcher, 0);
  EXPECT_FALSE(Exists(probeFolder_ + "/record"));
  EXPECT_TRUE(HasNoChildren());
  ASSERT_TRUE(WriteFile(probeFolder_ + "/release", ""));
  const std::string record = Record();
  EXPECT_NE(record.find("waited=released\n"), std::string::npos) << record;
  const std::size_t parentAt = record.find("parent=");
  ASSERT_NE(parentAt, std::string::npos) << record;
  const long parent = std::strtol(record.c_str() + parentAt + 7, nullptr, 10);
  EXPECT_NE(parent, launcher) << record;
  EXPECT_NE(parent, getpid()) << record;
  const std::size_t ignoredAt = record.find("ignored=");
  ASSERT_NE(ignoredAt, std::string::npos) << record;
  const unsigned long long ignored =
      std::strtoull(record.c_str() + ignoredAt + 8, nullptr, 16);
  EXPECT_EQ(ignored & (1ull << (SIGPIPE - 1)), 0u) << record;
}

class OpenerTest : public StartProgramTest {
 protected:
  void SetUp() override {
    StartProgramTest::SetUp();
    openerFolder_ = folder_.Join("bin");
    ASSERT_TRUE(MakeFolder(openerFolder_));
    ASSERT_TRUE(MakeFolder(folder_.Join("empty")));
    document_ = probeFolder_ + "/readme.txt";
    // A script that is not executable: if anything ran it, it would leave
    // "document-ran" behind.
    ASSERT_TRUE(WriteFile(document_,
                          "#!/bin/sh\n: > \"$(dirname \"$0\")/document-ran\"\n",
                          0644));
  }

  std::string openerFolder_;
  std::string document_;
};

TEST_F(OpenerTest, NonExecutableFileGoesToTheOpener) {
  ASSERT_TRUE(WriteFile(openerFolder_ + "/xdg-open", kOpenerScript, 0755));
  PathVariable path(folder_.Join("empty") + ":" + openerFolder_);
  StartFromALauncher(WindowsSeparators(document_).c_str(), " /S",
                     ShowCommand::kHide);
  EXPECT_TRUE(HasNoChildren());
  EXPECT_EQ(FirstOpenedLine(openerFolder_ + "/opened"), document_ + "|\n");
}

// Nothing to wait for proves nothing happened; a later start through the
// same opener comes first in line, and by then nothing else has run.
TEST_F(OpenerTest, NothingHappensWithoutAnOpenerOrForAMissingFile) {
  ASSERT_TRUE(WriteFile(openerFolder_ + "/xdg-open", kOpenerScript, 0755));
  {
    PathVariable path(folder_.Join("empty"));
    StartFromALauncher(document_.c_str(), "", ShowCommand::kHide);
    EXPECT_TRUE(HasNoChildren());
  }
  PathVariable path(openerFolder_);
  StartFromALauncher((probeFolder_ + "/absent.txt").c_str(), "",
                     ShowCommand::kHide);
  StartFromALauncher(document_.c_str(), "", ShowCommand::kHide);
  EXPECT_EQ(FirstOpenedLine(openerFolder_ + "/opened"), document_ + "|\n");
  EXPECT_FALSE(Exists(probeFolder_ + "/document-ran"));
}

struct PathSearchCase {
  const char* searchPath;
  const char* found;  // nullptr: none
};

void PrintTo(const PathSearchCase& c, std::ostream* out) {
  *out << ::testing::PrintToString(std::string(c.searchPath));
}

class PathSearch : public StartProgramTest,
                   public ::testing::WithParamInterface<PathSearchCase> {};

// Folders: "plain" holds a tool that is not executable, "folder" a folder
// of the tool's name, "good" and "work" (the current folder) a real one.
TEST_P(PathSearch, FindsFirstExecutableRegularFile) {
  for (const char* name : {"plain", "folder", "good"})
    ASSERT_TRUE(MakeFolder(folder_.Join(name)));
  ASSERT_TRUE(WriteFile(folder_.Join("plain/tool"), "", 0644));
  ASSERT_TRUE(MakeFolder(folder_.Join("folder/tool")));
  ASSERT_TRUE(WriteFile(folder_.Join("good/tool"), "", 0755));
  ASSERT_TRUE(WriteFile(folder_.Join("work/tool"), "", 0755));

  std::string searchPath = GetParam().searchPath;
  for (std::size_t at; (at = searchPath.find('@')) != std::string::npos;)
    searchPath.replace(at, 1, folder_.path());
  PosixPath found;
  const bool wasFound = FindOnPath("tool", searchPath.c_str(), found);
  ASSERT_EQ(wasFound, GetParam().found != nullptr) << searchPath;
  if (wasFound) {
    std::string expected = GetParam().found;
    for (std::size_t at; (at = expected.find('@')) != std::string::npos;)
      expected.replace(at, 1, folder_.path());
    EXPECT_EQ(found, expected);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Folders, PathSearch,
    ::testing::Values(PathSearchCase{"@/plain:@/folder:@/good", "@/good/tool"},
                      PathSearchCase{"@/plain:@/folder", nullptr},
                      PathSearchCase{"@/absent:@/good:@/plain", "@/good/tool"},
                      PathSearchCase{"@/plain::@/good", "tool"},
                      PathSearchCase{"@/plain:", "tool"},
                      PathSearchCase{"", "tool"}));

}  // namespace
}  // namespace pomvarin::platform::posix
