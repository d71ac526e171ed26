// Waits for the launcher's warning box, prints its text, and with --close
// closes it: for the test of PomvarinCheck.exe --trace, whose run must wait
// for the box like any user's.
//
//   warning_box.exe [--close]
//
// Exit status 0 when the box was found, 1 when none was shown in time.
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr DWORD kPollMilliseconds = 20;
// Bounds a launcher that shows no box; on a busy machine Wine may take
// tens of seconds to start one.
constexpr DWORD kWaitLimitMilliseconds = 120000;
constexpr int kBoxTextId = 0xFFFF;

}  // namespace

int main(int argc, char** argv) {
  const bool close = argc == 2 && std::strcmp(argv[1], "--close") == 0;
  const DWORD start = GetTickCount();
  HWND box = nullptr;
  // The caption is set before the text: wait until the box is shown.
  while (!(box = FindWindowA("#32770", "Warning")) || !IsWindowVisible(box)) {
    if (GetTickCount() - start > kWaitLimitMilliseconds) {
      std::fprintf(stderr, "no box \"Warning\" was shown in %lu s\n",
                   kWaitLimitMilliseconds / 1000);
      return 1;
    }
    Sleep(kPollMilliseconds);
  }
  char text[1024] = {};
  GetDlgItemTextA(box, kBoxTextId, text, sizeof text);
  std::printf("%s\n", text);
  if (close) {
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    while (IsWindow(box)) Sleep(kPollMilliseconds);
  }
  return 0;
}
