// Driver packages on a disc: the PCI IDs an .inf file lists in the models
// sections of its [Manufacturer], read by the rules Windows reads it by.
#pragma once

#include <string>
#include <vector>

#include "check/packages/inf_target.h"

namespace pomvarin::check {

struct InfProblem {
  int line = 0;  // from 1
  std::string message;
};

struct InfPackage {
  // False when Windows would refuse the file: it then serves no device.
  bool parsed = true;
  // The hardware and compatible IDs of PCI devices the models sections
  // list, in upper case (as devices show them), each once, in file order.
  std::vector<std::string> ids;
  // The makers its [Manufacturer] lines name, strings substituted, each
  // once, in file order.
  std::vector<std::string> manufacturers;
  std::vector<InfProblem> problems;
  // In a file with localised [Strings.LLLL] sections, the strings section
  // read, as the file names it in lower case: Windows takes its locale's,
  // and the check, which knows no locale, [Strings] (as on a system whose
  // locale the file does not name), else the first localised one by name.
  std::string stringsSection;
};

// Reads an .inf file's bytes (ANSI, UTF-8 with a byte-order mark, or UTF-16
// LE with one). Without a target every decorated models section counts,
// as a disc serves more than one system; with one, the section Windows
// would pick for it.
InfPackage ReadInf(const std::string& bytes, const InfTarget* target);

}  // namespace pomvarin::check
