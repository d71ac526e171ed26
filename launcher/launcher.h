// The launcher's entry and its one pass over the configured vendor entries.
#pragma once

#include <cstddef>

namespace pomvarin {

// The run: reads Pomvarin.ini from the current directory, starts the setup
// of every vendor whose ID a present PCI device carries, and shows the
// warning box when none did. The arguments are the command line without the
// program's name. Always returns 0.
int WinMain(const char* arguments);

// Traces the arguments and tells whether they hold "/s" or "/S" anywhere.
bool HasSilentSwitch(const char* arguments);

// The case passes on the first length bytes of an ID: every ASCII letter to
// upper case; then every ASCII letter but the first to lower case.
void UpperCasePass(char* id, std::size_t length);
void LowerCasePass(char* id, std::size_t length);

}  // namespace pomvarin
