// Runs Pomvarin.exe the way the end-to-end suite needs it, and records what
// it did: it starts the program under the platform layer's small debugger
// with an exact command line and current directory, keeps every debug-output
// text byte for byte (as PomvarinCheck.exe --trace shows them), finds
// the warning box by its caption, reads its text and closes it, and waits
// until every program started from the run has ended.
//
//   e2e_runner.exe REQUEST RESULT
//
// REQUEST holds, one per line: the program's path, the current directory,
// the release file (made once the program has exited, so that a setup probe
// that waits for it proves the launcher did not wait for the setup), the
// hold file (when not empty, a found box stays open until that file
// exists), then the command line: every remaining byte, unchanged.
//
// RESULT is a list of records, each a tag byte, a 32-bit little-endian
// length and that many bytes: 'T' a trace text, 'B' the text of a warning
// box, 'X' the exit code (4 bytes), 'E' a fault of the run itself.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "platform/win32/debug_run.h"

namespace {

constexpr DWORD kPollMilliseconds = 20;
// Guards against a hang only: a run takes well under a second.
constexpr DWORD kRunLimitMilliseconds = 60000;
constexpr int kBoxTextId = 0xFFFF;

struct Request {
  std::string program;
  std::string currentDirectory;
  std::string releaseFile;
  std::string holdFile;
  std::string commandLine;
};

class Result {
 public:
  void Add(char tag, const std::string& bytes) {
    std::uint32_t length = static_cast<std::uint32_t>(bytes.size());
    data_.push_back(tag);
    for (int shift = 0; shift < 32; shift += 8)
      data_.push_back(static_cast<char>((length >> shift) & 0xFF));
    data_ += bytes;
  }
  void AddExitCode(DWORD code) {
    std::string bytes;
    for (int shift = 0; shift < 32; shift += 8)
      bytes.push_back(static_cast<char>((code >> shift) & 0xFF));
    Add('X', bytes);
  }
  bool Write(const char* path) const {
    std::ofstream out(path, std::ios::binary);
    out << data_;
    return static_cast<bool>(out);
  }

 private:
  std::string data_;
};

class Handle {
 public:
  explicit Handle(HANDLE handle = nullptr) : handle_(handle) {}
  ~Handle() {
    if (handle_ && handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

bool ReadRequest(const char* path, Request* request) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::getline(in, request->program);
  std::getline(in, request->currentDirectory);
  std::getline(in, request->releaseFile);
  std::getline(in, request->holdFile);
  request->commandLine.assign(std::istreambuf_iterator<char>(in),
                              std::istreambuf_iterator<char>());
  return static_cast<bool>(in.eof() || in.good());
}

bool FileExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void MakeFile(const std::string& path) {
  Handle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr,
                          CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
}

// Looks for a shown warning box; records its text and closes it. Returns
// whether one was handled.
bool HandleWarningBox(const Request& request, Result* result) {
  HWND box = FindWindowA("#32770", "Warning");
  // The caption is set before the text: wait until the box is shown.
  if (!box || !IsWindowVisible(box)) return false;
  char text[1024] = {};
  GetDlgItemTextA(box, kBoxTextId, text, sizeof text);
  result->Add('B', text);
  if (!request.holdFile.empty()) {
    while (!FileExists(request.holdFile)) Sleep(kPollMilliseconds);
  }
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  // The same box stays findable until its loop has run: wait until it went.
  while (IsWindow(box)) Sleep(kPollMilliseconds);
  return true;
}

// The programs of the job still running, by path, for the report of a run
// whose started programs did not end.
std::string JobProgramNames(HANDLE job) {
  struct {
    JOBOBJECT_BASIC_PROCESS_ID_LIST list;
    ULONG_PTR more[63];
  } ids = {};
  if (!QueryInformationJobObject(job, JobObjectBasicProcessIdList, &ids,
                                 sizeof ids, nullptr))
    return "(unknown)";
  std::string names;
  for (DWORD i = 0; i < ids.list.NumberOfProcessIdsInList; ++i) {
    Handle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE,
                               static_cast<DWORD>(ids.list.ProcessIdList[i])));
    char path[MAX_PATH] = "(unknown)";
    DWORD size = sizeof path;
    if (process.get()) QueryFullProcessImageNameA(process.get(), 0, path, &size);
    names += std::string(" ") + path;
  }
  return names;
}

DWORD ActiveProcesses(HANDLE job) {
  JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting = {};
  if (!QueryInformationJobObject(job, JobObjectBasicAccountingInformation,
                                 &accounting, sizeof accounting, nullptr))
    return 0;
  return accounting.ActiveProcesses;
}

// What the runner adds to the debugger's run: the program and everything it
// starts in the job, the warning box found and closed, and a time limit.
class RunRecorder : public pomvarin::platform::win32::DebugListener {
 public:
  RunRecorder(const Request& request, HANDLE job, Result* result)
      : request_(request), job_(job), result_(result) {}

  void Created(HANDLE process) override {
    // In the job before it runs, so that every program it starts is counted.
    if (!AssignProcessToJobObject(job_, process))
      result_->Add('E', "no job: " + std::to_string(GetLastError()));
    start_ = GetTickCount();
  }
  void Output(const std::string& text) override { result_->Add('T', text); }
  bool Idle() override {
    HandleWarningBox(request_, result_);
    if (GetTickCount() - start_ <= kRunLimitMilliseconds) return true;
    result_->Add('E', "the program did not end");
    return false;
  }

 private:
  const Request& request_;
  HANDLE job_;
  Result* result_;
  DWORD start_ = 0;
};

// Runs the program to its end under the debugger. False when it could not
// be started or did not end in time (the fault is in result then).
bool RunProgram(const Request& request, HANDLE job, Result* result) {
  RunRecorder recorder(request, job, result);
  DWORD code = 0;
  switch (pomvarin::platform::win32::RunUnderDebugger(
      request.program.c_str(), request.commandLine,
      request.currentDirectory.c_str(), recorder, &code)) {
    case pomvarin::platform::win32::DebugOutcome::kExited:
      result->AddExitCode(code);
      return true;
    case pomvarin::platform::win32::DebugOutcome::kNotStarted:
      result->Add('E', "CreateProcess failed: " + std::to_string(code));
      return false;
    case pomvarin::platform::win32::DebugOutcome::kStopped:
      break;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: e2e_runner REQUEST RESULT\n");
    return 2;
  }
  Request request;
  if (!ReadRequest(argv[1], &request)) {
    std::fprintf(stderr, "cannot read %s\n", argv[1]);
    return 2;
  }
  Result result;
  // Wine starts its desktop process from the first program that needs the
  // desktop; started from the launcher it would join the job and outlive
  // the run. Have it started from here, outside the job.
  GetDesktopWindow();
  Handle job(CreateJobObjectA(nullptr, nullptr));
  const bool ended = RunProgram(request, job.get(), &result);
  MakeFile(request.releaseFile);
  if (ended) {
    // The started setups run on their own; wait until they are all done.
    const DWORD start = GetTickCount();
    while (ActiveProcesses(job.get()) > 0) {
      if (GetTickCount() - start > kRunLimitMilliseconds) {
        result.Add('E', "started programs did not end:" +
                            JobProgramNames(job.get()));
        break;
      }
      Sleep(kPollMilliseconds);
    }
  }
  if (!result.Write(argv[2])) return 1;
  return 0;
}
