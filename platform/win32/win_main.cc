// The Windows program's entry: the platform's start-up code hands over the
// command line without the program's name.
#include <windows.h>

#include "launcher/launcher.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR arguments, int) {
  return pomvarin::WinMain(arguments ? arguments : "");
}
