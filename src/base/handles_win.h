#pragma once
// Move-only owners of Win32 handles: the handle is closed when its owner goes.

#include <windows.h>

#include <utility>

namespace tavion {

// Owns one handle of a kind described by Traits: `Handle` (its type), `Invalid()` (the value that
// owns nothing) and `Close(handle)`.
template <typename Traits>
class UniqueHandle {
 public:
  using Handle = typename Traits::Handle;

  UniqueHandle() = default;
  explicit UniqueHandle(Handle handle) : handle_(handle) {}
  ~UniqueHandle() { reset(); }

  UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  Handle get() const { return handle_; }
  explicit operator bool() const { return handle_ != Traits::Invalid(); }

  // Gives up ownership without closing.
  Handle release() { return std::exchange(handle_, Traits::Invalid()); }

  // Closes the owned handle (if any) and takes `handle`.
  void reset(Handle handle = Traits::Invalid()) {
    const Handle old = std::exchange(handle_, handle);
    if (old != Traits::Invalid()) Traits::Close(old);
  }

  // For out-parameters of functions that open a handle: closes the owned one first.
  Handle* put() {
    reset();
    return &handle_;
  }

 private:
  Handle handle_ = Traits::Invalid();
};

struct HKeyTraits {
  using Handle = HKEY;
  static Handle Invalid() { return nullptr; }
  // Nothing useful can be done when closing fails; the handle is gone either way.
  static void Close(Handle key) { RegCloseKey(key); }
};

using UniqueHKey = UniqueHandle<HKeyTraits>;

// Events, threads, mutexes, mappings: kernel handles that are null when they own nothing.
struct KernelHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle handle) { CloseHandle(handle); }
};

using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;

// Files from CreateFile, which reports failure as INVALID_HANDLE_VALUE rather than null.
struct FileHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Handle file) { CloseHandle(file); }
};

using UniqueFileHandle = UniqueHandle<FileHandleTraits>;

// Icons this program made or loaded from files (never shared system icons).
struct IconTraits {
  using Handle = HICON;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle icon) { DestroyIcon(icon); }
};

using UniqueIcon = UniqueHandle<IconTraits>;

// A menu that no window owns (a window destroys its own menu bar).
struct MenuTraits {
  using Handle = HMENU;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle menu) { DestroyMenu(menu); }
};

using UniqueMenu = UniqueHandle<MenuTraits>;

}  // namespace tavion
