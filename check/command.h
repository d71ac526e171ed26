// pomvarin-check's command line: what it prints and its exit status.
#pragma once

#include <string>
#include <vector>

#include "check/report/outcome.h"

namespace pomvarin::check {

struct CommandResult {
  int status = kNothingWrong;
  std::string out;
  std::string err;
  // out is a file's own bytes, its line ends included: written unchanged.
  bool outIsFile = false;
};

// Where --trace prints while the launcher runs, before the result is had.
class LiveOutput {
 public:
  virtual void Print(const std::string& text) = 0;

 protected:
  ~LiveOutput() = default;
};

// Runs the check the arguments ask for; program names the tool in messages.
CommandResult RunCommand(const std::string& program,
                         const std::vector<std::string>& arguments,
                         LiveOutput& live);

}  // namespace pomvarin::check
