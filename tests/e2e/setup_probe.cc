// A setup program of the end-to-end suite's driver folders. It records how
// it was started, as one line appended to the file named by
// POMVARIN_E2E_LAUNCHES: its own path, its command line, its current
// directory and the show command it was given (-1 when none), separated by
// tabs. Then it waits for the file named by POMVARIN_E2E_RELEASE, which the
// suite makes only after the launcher has exited: a launcher that waited
// for its setups would never end.
#include <windows.h>

#include <string>

namespace {

constexpr DWORD kPollMilliseconds = 20;
// Guards against a probe left behind when the suite itself failed.
constexpr DWORD kWaitLimitMilliseconds = 60000;

std::string Environment(const char* name) {
  char value[MAX_PATH * 2] = {};
  const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
  if (length == 0 || length >= sizeof value) return std::string();
  return value;
}

void AppendLine(const std::string& path, const std::string& line) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  // Probes started together append to the one file. Wine appends in two
  // steps, finding the file's end and then writing there, so two appends
  // at once can land on the same place and one line is lost: the lock
  // makes them one after the other. One write per line as well.
  OVERLAPPED whole = {};
  if (LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD,
                 &whole)) {
    SetFilePointer(file, 0, nullptr, FILE_END);
    DWORD written = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written,
              nullptr);
    UnlockFileEx(file, 0, MAXDWORD, MAXDWORD, &whole);
  }
  CloseHandle(file);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  char module[MAX_PATH * 2] = {};
  GetModuleFileNameA(nullptr, module, sizeof module);
  char directory[MAX_PATH * 2] = {};
  GetCurrentDirectoryA(sizeof directory, directory);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  GetStartupInfoA(&startup);
  const int show = (startup.dwFlags & STARTF_USESHOWWINDOW)
                       ? static_cast<int>(startup.wShowWindow)
                       : -1;

  AppendLine(Environment("POMVARIN_E2E_LAUNCHES"),
             std::string(module) + "\t" + GetCommandLineA() + "\t" +
                 directory + "\t" + std::to_string(show) + "\n");

  const std::string release = Environment("POMVARIN_E2E_RELEASE");
  const DWORD start = GetTickCount();
  while (!release.empty() &&
         GetFileAttributesA(release.c_str()) == INVALID_FILE_ATTRIBUTES &&
         GetTickCount() - start < kWaitLimitMilliseconds)
    Sleep(kPollMilliseconds);
  return 0;
}
