// pomvarin-check's command line: its options, read and explained.
#pragma once

#include <string>
#include <vector>

namespace pomvarin::check {

struct Options {
  bool list = false;
  bool json = false;
  bool jsonLines = false;  // a line of JSON a machine
  bool help = false;
  bool version = false;
  bool trace = false;
  bool init = false;  // write a Pomvarin.ini for the folder
  std::vector<std::string> captures;  // files, or folders of them
  std::string target;                 // a decoration such as NTamd64.10.0
  std::string folder;  // or an image's file
  char drive = 'D';    // the drive an image is read as
  bool listFiles = false;  // print the walk's entries instead of a check
  std::string html;  // the file of the HTML page, or empty for none
  // After "--": the launcher's arguments for --trace.
  bool launcherArgumentsGiven = false;
  std::vector<std::string> launcherArguments;
};

// The usage lines, each naming the tool as program.
std::string ShortUsage(const std::string& program);

// The usage, what each option does and the exit statuses.
std::string Help(const std::string& program);

// Reads the arguments after the program's name; false with the reason for
// arguments that ask for no check that can be made.
bool ParseOptions(const std::vector<std::string>& arguments, Options* options,
                  std::string* error);

}  // namespace pomvarin::check
