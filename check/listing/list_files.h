// --list-files: what the launcher's search is given below the current
// directory (a folder, or an image as a drive), entry by entry in the order
// of its walk, each with its attributes as the listing gives them.
#pragma once

#include <string>

namespace pomvarin::check {

// One line an entry: its attributes as five letters, "-" for those it has
// not (d folder, r read-only, h hidden, s system, a archive), and its path
// as the launcher joins it. Empty when the current directory cannot be
// listed.
std::string ListFiles();

}  // namespace pomvarin::check
