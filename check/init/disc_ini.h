// A Pomvarin.ini written from a disc's own folders: one VendorInfo section
// for each vendor folder, with what the author must still look at in
// comments.
#pragma once

#include <string>

namespace pomvarin::check {

struct WrittenIni {
  int status = 0;     // as the check's: 0, 1 with comments to read, 2 none
  std::string text;   // the file's bytes, CR LF line ends
  std::string error;  // for status 2, for people
};

// Pomvarin.ini for the disc in the current directory.
WrittenIni WriteDiscIni();

}  // namespace pomvarin::check
