// Small owners and helpers shared by the Linux platform files.
#pragma once

#include <climits>
#include <cstddef>
#include <cstdlib>
#include <new>
#include <unistd.h>

#include "common/ascii.h"
#include "common/owner.h"

namespace pomvarin::platform::posix {

// Room for one path in the operating system's form, terminator included.
constexpr std::size_t kPosixPathSize = PATH_MAX;
using PosixPath = char[kPosixPathSize];

// Copies path into posixPath with every "\" turned into "/": the logic joins
// folders with "\" and configuration values may hold it too. False when the
// path does not fit.
bool ToPosixPath(const char* path, PosixPath& posixPath);

// A file descriptor closed when the owner goes out of scope.
using FileDescriptor = Owner<int, close, -1>;

inline void FreeBlock(char* block) { std::free(block); }

// A malloc block freed when the owner goes out of scope.
using HeapBlock = Owner<char*, FreeBlock>;

// Grows or shrinks the block, keeping its bytes; false (block unchanged)
// when the memory cannot be had.
inline bool ResizeBlock(HeapBlock& block, std::size_t size) {
  void* moved = std::realloc(block.get(), size);
  if (!moved) return false;
  block.release();
  block.reset(static_cast<char*>(moved));
  return true;
}

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
template <typename State>
using StateOwner = Owner<State*, ReleaseState<State>>;

}  // namespace pomvarin::platform::posix
