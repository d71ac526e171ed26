// The names of a folder's entries, read in one go and put in order.
#pragma once

#include <cstddef>
#include <dirent.h>

#include "common/owner.h"

namespace pomvarin::platform::posix {

// An open folder stream closed when the owner goes out of scope.
using FolderStream = Owner<DIR*, closedir>;

// Names packed in one growing block, each with a one-byte tag (the entry
// type of the folder listing). Both blocks double when full, so adding n
// names costs linear time and memory.
class NameTable {
 public:
  NameTable() = default;
  ~NameTable();
  NameTable(const NameTable&) = delete;
  NameTable& operator=(const NameTable&) = delete;

  // False when the memory cannot be had; the table is then unchanged.
  bool Add(const char* name, unsigned char tag);
  void Sort(bool (*less)(const char* a, const char* b));

  std::size_t count() const { return count_; }
  const char* Name(std::size_t index) const;
  unsigned char Tag(std::size_t index) const;

 private:
  struct Entry {
    std::size_t offset;
    unsigned char tag;
  };

  char* characters_ = nullptr;
  std::size_t charactersUsed_ = 0;
  std::size_t charactersCapacity_ = 0;
  Entry* entries_ = nullptr;
  std::size_t count_ = 0;
  std::size_t entriesCapacity_ = 0;
};

// Adds every entry of the open folder but "." and "..", tagged with its
// d_type. Names that would not fit in a Text are left out: the logic cannot
// hold them. False on a read failure or when memory runs out.
bool ReadFolderNames(DIR* folder, NameTable* names);

}  // namespace pomvarin::platform::posix
