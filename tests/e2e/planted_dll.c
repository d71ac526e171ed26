/* A DLL planted beside the Windows programs under the names of system DLLs
   (planted_dlls.py). Loaded, it makes an empty file named like itself with
   ".loaded" added, beside itself: a trace that the test finds, whichever
   program of the run loaded it. It needs nothing but KERNEL32, so that no
   other planted name is loaded with it. */
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
  char path[MAX_PATH + 8];
  DWORD length;
  HANDLE file;
  (void)reserved;
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  length = GetModuleFileNameA(self, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return TRUE;
  lstrcpyA(path + length, ".loaded");
  file = CreateFileA(path, GENERIC_WRITE, FILE_SHARE_READ, NULL, CREATE_ALWAYS,
                     FILE_ATTRIBUTE_NORMAL, NULL);
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  return TRUE;
}
