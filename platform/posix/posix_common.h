// Small owners and helpers shared by the Linux platform files.
#pragma once

#include <climits>
#include <cstddef>
#include <cstdlib>
#include <memory>
#include <new>
#include <utility>
#include <unistd.h>

namespace pomvarin::platform::posix {

// Room for one path in the operating system's form, terminator included.
constexpr std::size_t kPosixPathSize = PATH_MAX;
using PosixPath = char[kPosixPathSize];

// Copies path into posixPath with every "\" turned into "/": the logic joins
// folders with "\" and configuration values may hold it too. False when the
// path does not fit.
bool ToPosixPath(const char* path, PosixPath& posixPath);

inline char LowerAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// A file descriptor closed when the owner goes out of scope.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;

  int get() const { return fd_; }
  // Closes it before the owner goes.
  void Close() {
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
  }

 private:
  int fd_;
};

// A malloc block freed when the owner goes out of scope.
class HeapBlock {
 public:
  HeapBlock() = default;
  ~HeapBlock() { std::free(data_); }
  HeapBlock(const HeapBlock&) = delete;
  HeapBlock& operator=(const HeapBlock&) = delete;

  char* get() const { return data_; }
  void Swap(HeapBlock& other) { std::swap(data_, other.data_); }
  // Grows or shrinks the block, keeping its bytes; false (block unchanged)
  // when the memory cannot be had.
  bool Resize(std::size_t size) {
    void* moved = std::realloc(data_, size);
    if (!moved) return false;
    data_ = static_cast<char*>(moved);
    return true;
  }

 private:
  char* data_ = nullptr;
};

// A state object made in malloc's memory, or null when there is none. The
// C++ runtime's own allocation would bring its exception machinery into
// the program, which costs every start more than a typical run's own work.
template <typename State>
State* MakeState() {
  void* memory = std::malloc(sizeof(State));
  return memory ? new (memory) State : nullptr;
}

template <typename State>
void ReleaseState(State* state) {
  if (!state) return;
  state->~State();
  std::free(state);
}

// Owns a state from MakeState until it is handed on.
struct StateReleaser {
  template <typename State>
  void operator()(State* state) const {
    ReleaseState(state);
  }
};
template <typename State>
using StateOwner = std::unique_ptr<State, StateReleaser>;

}  // namespace pomvarin::platform::posix
