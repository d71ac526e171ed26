#include "platform/posix/folder_names.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/platform.h"

namespace pomvarin::platform::posix {

namespace {

// The capacity to grow to so that needed elements fit: at least double the
// old one. Zero when the size would overflow.
std::size_t GrownCapacity(std::size_t capacity, std::size_t needed,
                          std::size_t elementSize) {
  std::size_t grown = capacity < 64 ? 64 : capacity;
  while (grown < needed) {
    if (grown > SIZE_MAX / 2) return 0;
    grown *= 2;
  }
  if (grown > SIZE_MAX / elementSize) return 0;
  return grown;
}

// Makes room in block for needed elements; false (block unchanged) when the
// memory cannot be had.
template <typename Element>
bool Reserve(Element*& block, std::size_t& capacity, std::size_t needed) {
  if (needed <= capacity) return true;
  const std::size_t grown = GrownCapacity(capacity, needed, sizeof(Element));
  if (grown == 0) return false;
  void* moved = std::realloc(block, grown * sizeof(Element));
  if (!moved) return false;
  block = static_cast<Element*>(moved);
  capacity = grown;
  return true;
}

}  // namespace

NameTable::~NameTable() {
  std::free(characters_);
  std::free(entries_);
}

bool NameTable::Add(const char* name, unsigned char tag) {
  const std::size_t size = std::strlen(name) + 1;
  if (size > SIZE_MAX - charactersUsed_) return false;
  if (!Reserve(characters_, charactersCapacity_, charactersUsed_ + size) ||
      !Reserve(entries_, entriesCapacity_, count_ + 1))
    return false;
  std::memcpy(characters_ + charactersUsed_, name, size);
  entries_[count_].offset = charactersUsed_;
  entries_[count_].tag = tag;
  charactersUsed_ += size;
  ++count_;
  return true;
}

void NameTable::Sort(bool (*less)(const char* a, const char* b)) {
  if (count_ == 0) return;
  const char* characters = characters_;
  std::sort(entries_, entries_ + count_,
            [characters, less](const Entry& a, const Entry& b) {
              return less(characters + a.offset, characters + b.offset);
            });
}

const char* NameTable::Name(std::size_t index) const {
  return characters_ + entries_[index].offset;
}

unsigned char NameTable::Tag(std::size_t index) const {
  return entries_[index].tag;
}

bool ReadFolderNames(DIR* folder, NameTable* names) {
  for (;;) {
    errno = 0;
    const dirent* entry = readdir(folder);
    if (!entry) return errno == 0;
    if (IsDotEntry(entry->d_name) || std::strlen(entry->d_name) >= kTextSize)
      continue;
    if (!names->Add(entry->d_name, entry->d_type)) return false;
  }
}

}  // namespace pomvarin::platform::posix
