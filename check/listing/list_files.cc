#include "check/listing/list_files.h"

#include "platform/platform.h"
#include "setup/folder_walk.h"

namespace pomvarin::check {

namespace {

std::string AttributeLetters(std::uint32_t attributes) {
  static const struct {
    std::uint32_t bit;
    char letter;
  } kLetters[] = {{0x10, 'd'}, {0x01, 'r'}, {0x02, 'h'}, {0x04, 's'},
                  {0x20, 'a'}};
  std::string letters;
  for (const auto& letter : kLetters)
    letters += attributes & letter.bit ? letter.letter : '-';
  return letters;
}

// Every folder is entered, as the search enters it.
class Lister : public FolderVisitor {
 public:
  WalkStep Visit(const char* path,
                 const platform::DirectoryEntry& entry) override {
    lines += AttributeLetters(entry.attributes) + "  " + path + "\n";
    return entry.attributes & platform::kAttributeDirectory ? WalkStep::kEnter
                                                            : WalkStep::kNext;
  }
  void PassOver(const char* folder,
                const platform::DirectoryEntry& entry) override {
    lines += "passed over (its path is longer than 259 characters): " +
             std::string(folder) + "\\" + entry.name + "\n";
  }
  std::string lines;
};

}  // namespace

std::string ListFiles() {
  Text current;
  if (!platform::ReadCurrentDirectory(current)) return "";
  Lister lister;
  WalkFolder(current, lister);
  return lister.lines;
}

}  // namespace pomvarin::check
