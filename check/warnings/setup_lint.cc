// Warnings of an entry's root and setup names the search cannot use.
#include "check/warnings/setup_lint.h"

#include <string>

#include "common/ascii.h"
#include "common/text.h"
#include "setup/folder_walk.h"
#include "setup/launch_spec.h"

namespace pomvarin::check {

bool Searchable(const std::string& root) {
  Text pattern;
  return ListingPattern(root.c_str(), pattern);
}

void LintRoot(const EntryReport& entry, const VendorEntry& values,
              std::vector<Warning>* warnings) {
  const char* rootDir = values.setupFileRootDir;
  if (rootDir[0] != '\0' && rootDir[0] != '\\')
    warnings->push_back(Warning{
        entry.section, "SetupFileRootDir",
        "does not begin with \"\\\": it is glued to the folder's name, "
        "giving " + entry.root});
  if (!Searchable(entry.root))
    warnings->push_back(Warning{
        entry.section, "SetupFileRootDir",
        "gives a root of " + std::to_string(entry.root.size()) +
            " characters: with \"\\*\" added it passes the limit of 259, "
            "so it is never searched"});
}

void LintLaunchSpec(const EntryReport& entry, const char* key,
                    const char* spec, const std::vector<SetupFile>& found,
                    std::vector<Warning>* warnings) {
  const auto warn = [&](const std::string& message) {
    warnings->push_back(Warning{entry.section, key, message});
  };
  const LaunchSpecParts parts = SplitLaunchSpec(spec);
  const std::string name(parts.fileName, parts.fileNameLength);
  if (name.empty()) {
    warn(spec[0] == '\0' ? "is empty: no file can match"
                         : "begins with a blank: the file name is empty, "
                           "no file can match");
  } else if (name.find_first_of("\\/") != std::string::npos) {
    warn("names a folder in " + Quoted(name) +
         ": only a bare file name can match (put the folder into "
         "SetupFileRootDir)");
  } else if (name.find('"') != std::string::npos) {
    warn(Quoted(name) + " holds quotes: names are compared as they "
                        "stand, so no file can match");
  } else if (found.empty()) {
    warn(Quoted(name) + " is not found below " + entry.root);
  } else if (found.size() > 1) {
    std::string paths;
    for (const SetupFile& file : found)
      paths += (paths.empty() ? "" : "; ") + file.path;
    warn(Quoted(name) + " is found in " + std::to_string(found.size()) +
         " folders, and every one of them would start: " + paths);
  }
}

}  // namespace pomvarin::check
