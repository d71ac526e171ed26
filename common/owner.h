// The one owner of a handle that the system hands out: it releases the
// handle when it goes out of scope, so every path of its holder gives it
// back. none is the handle's value for "nothing held".
#pragma once

namespace pomvarin {

template <typename Handle, auto Release, Handle none = Handle{}>
class Owner {
 public:
  explicit Owner(Handle handle = none) : handle_(handle) {}
  ~Owner() { reset(); }
  Owner(const Owner&) = delete;
  Owner& operator=(const Owner&) = delete;

  Handle get() const { return handle_; }
  Handle operator->() const { return handle_; }
  explicit operator bool() const { return handle_ != none; }

  // Releases what is held and holds handle instead.
  void reset(Handle handle = none) {
    if (handle_ != none) Release(handle_);
    handle_ = handle;
  }

  // Hands the handle on: the owner no longer releases it.
  Handle release() {
    const Handle handle = handle_;
    handle_ = none;
    return handle;
  }

 private:
  Handle handle_;
};

}  // namespace pomvarin
