#include "platform/win32/debug_run.h"

#include <vector>

#include "common/owner.h"

namespace pomvarin::platform::win32 {

namespace {

constexpr DWORD kPollMilliseconds = 20;

// The handles a debugger is given (processes, threads, files of debug
// events) are valid or null.
using Handle = Owner<HANDLE, CloseHandle>;

// The bytes of one debug-output text as the program sent them, without the
// terminator.
std::string ReadDebugText(HANDLE process, const OUTPUT_DEBUG_STRING_INFO& info) {
  std::size_t size = info.nDebugStringLength;
  if (info.fUnicode) size *= 2;
  std::string text(size, '\0');
  SIZE_T read = 0;
  if (size > 0)
    ReadProcessMemory(process, info.lpDebugStringData, &text[0], size, &read);
  text.resize(read);
  const std::size_t terminator = info.fUnicode ? 2 : 1;
  if (text.size() >= terminator &&
      text.find_first_not_of('\0', text.size() - terminator) ==
          std::string::npos)
    text.resize(text.size() - terminator);
  return text;
}

}  // namespace

DebugOutcome RunUnderDebugger(const char* program,
                              const std::string& commandLine,
                              const char* folder, DebugListener& listener,
                              DWORD* code) {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back('\0');
  if (!CreateProcessA(program, line.data(), nullptr, nullptr, FALSE,
                      DEBUG_ONLY_THIS_PROCESS | CREATE_SUSPENDED, nullptr,
                      folder, &startup, &process)) {
    *code = GetLastError();
    return DebugOutcome::kNotStarted;
  }
  const Handle processHandle(process.hProcess);
  const Handle threadHandle(process.hThread);
  listener.Created(process.hProcess);
  ResumeThread(process.hThread);

  for (;;) {
    DEBUG_EVENT event;
    if (!WaitForDebugEvent(&event, kPollMilliseconds)) {
      if (!listener.Idle()) {
        TerminateProcess(process.hProcess, 1);
        return DebugOutcome::kStopped;
      }
      continue;
    }
    DWORD continueStatus = DBG_CONTINUE;
    switch (event.dwDebugEventCode) {
      case CREATE_PROCESS_DEBUG_EVENT:
        if (event.u.CreateProcessInfo.hFile)
          CloseHandle(event.u.CreateProcessInfo.hFile);
        break;
      case LOAD_DLL_DEBUG_EVENT:
        if (event.u.LoadDll.hFile) CloseHandle(event.u.LoadDll.hFile);
        break;
      case OUTPUT_DEBUG_STRING_EVENT:
        listener.Output(ReadDebugText(process.hProcess, event.u.DebugString));
        break;
      case EXCEPTION_DEBUG_EVENT:
        // Only the loader's breakpoint is the debugger's; anything else
        // belongs to the program.
        if (event.u.Exception.ExceptionRecord.ExceptionCode !=
            EXCEPTION_BREAKPOINT)
          continueStatus = DBG_EXCEPTION_NOT_HANDLED;
        break;
      case EXIT_PROCESS_DEBUG_EVENT:
        *code = event.u.ExitProcess.dwExitCode;
        ContinueDebugEvent(event.dwProcessId, event.dwThreadId, DBG_CONTINUE);
        return DebugOutcome::kExited;
      default:
        break;
    }
    ContinueDebugEvent(event.dwProcessId, event.dwThreadId, continueStatus);
  }
}

}  // namespace pomvarin::platform::win32
