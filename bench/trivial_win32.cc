// The start of a program that does nothing, built like Pomvarin.exe: the
// floor that a typical run of the launcher is compared with.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) { return 0; }
