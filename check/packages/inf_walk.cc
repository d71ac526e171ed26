// Every .inf below a folder, found by the launcher's walk, read once.
#include "check/packages/inf_walk.h"

#include <cstring>

#include "check/input/input_limits.h"
#include "common/ascii.h"
#include "common/text.h"
#include "platform/files.h"
#include "setup/folder_walk.h"

namespace pomvarin::check {

namespace {

bool EndsWithInf(const char* name) {
  const std::size_t length = std::strlen(name);
  return length > 4 && EqualIgnoringAsciiCase(".inf", name + length - 4, 4);
}

// Every folder is entered, hidden ones too: Windows installs from them.
class InfFiles : public FolderVisitor {
 public:
  explicit InfFiles(std::vector<std::string>* found) : found_(found) {}

  WalkStep Visit(const char* path,
                 const platform::DirectoryEntry& entry) override {
    if (entry.attributes & platform::kAttributeDirectory) return WalkStep::kEnter;
    if (EndsWithInf(entry.name)) found_->push_back(path);
    return WalkStep::kNext;
  }

 private:
  std::vector<std::string>* found_;
};

}  // namespace

std::string PackageKey(const std::string& path) { return UpperAscii(path); }

void ReadPackagesBelow(const std::string& root, const InfTarget* target,
                       std::map<std::string, Package>* packages,
                       std::vector<std::string>* found) {
  InfFiles files(found);
  WalkFolder(root.c_str(), files);
  for (const std::string& path : *found) {
    auto [at, fresh] = packages->try_emplace(PackageKey(path));
    if (!fresh) continue;
    at->second.path = path;
    std::string bytes;
    const platform::FileRead read = platform::ReadFileBytes(
        path.c_str(), platform::FileSource::kRegularFile, kInfLimit, &bytes);
    if (read.outcome == platform::FileRead::kRead) {
      at->second.inf = ReadInf(bytes, target);
      continue;
    }
    at->second.inf.parsed = false;
    at->second.inf.problems.push_back(InfProblem{
        0, read.outcome == platform::FileRead::kTooLarge
               ? "is larger than " + LimitText(kInfLimit) +
                     ", the most an .inf file is read to"
               : "cannot be read: " + read.reason});
  }
}

}  // namespace pomvarin::check
