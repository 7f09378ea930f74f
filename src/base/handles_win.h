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

// Traits of a handle that is null when it owns nothing and is closed by `closer`. What it
// returns is of no use: nothing can be done about a failure, and the handle is gone either way.
template <typename T, auto closer>
struct NullHandleTraits {
  using Handle = T;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle handle) { closer(handle); }
};

using UniqueHKey = UniqueHandle<NullHandleTraits<HKEY, &RegCloseKey>>;

// Events, threads, mutexes, mappings: kernel handles that are null when they own nothing.
using UniqueKernelHandle = UniqueHandle<NullHandleTraits<HANDLE, &CloseHandle>>;

// Files from CreateFile, which reports failure as INVALID_HANDLE_VALUE rather than null.
struct FileHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Handle file) { CloseHandle(file); }
};

using UniqueFileHandle = UniqueHandle<FileHandleTraits>;

// Icons this program made or loaded from files (never shared system icons).
using UniqueIcon = UniqueHandle<NullHandleTraits<HICON, &DestroyIcon>>;

// A menu that no window owns (a window destroys its own menu bar).
using UniqueMenu = UniqueHandle<NullHandleTraits<HMENU, &DestroyMenu>>;

// GDI objects this program made: fonts, brushes, bitmaps, regions. Deselect one before its owner
// goes (a ScopedSelection declared after the owner does that).
template <typename T>
using UniqueGdiObject = UniqueHandle<NullHandleTraits<T, &DeleteObject>>;
using UniqueFont = UniqueGdiObject<HFONT>;
using UniqueBrush = UniqueGdiObject<HBRUSH>;
using UniqueBitmap = UniqueGdiObject<HBITMAP>;
using UniqueRegion = UniqueGdiObject<HRGN>;

// Memory device contexts from CreateCompatibleDC.
using UniqueMemoryDc = UniqueHandle<NullHandleTraits<HDC, &DeleteDC>>;

// Libraries loaded with LoadLibrary(Ex).
using UniqueModule = UniqueHandle<NullHandleTraits<HMODULE, &FreeLibrary>>;

// Hooks from SetWindowsHookEx.
using UniqueHook = UniqueHandle<NullHandleTraits<HHOOK, &UnhookWindowsHookEx>>;

// A device context of a window, or of the screen for a null window (GetDC), given back to that
// window (ReleaseDC) when its owner goes.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~WindowDc() { Release(); }

  WindowDc(WindowDc&& other) noexcept
      : window_(other.window_), dc_(std::exchange(other.dc_, nullptr)) {}
  WindowDc& operator=(WindowDc&& other) noexcept {
    if (this != &other) {
      Release();
      window_ = other.window_;
      dc_ = std::exchange(other.dc_, nullptr);
    }
    return *this;
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;

  HDC get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  void Release() {
    if (dc_) ReleaseDC(window_, std::exchange(dc_, nullptr));
  }

  HWND window_ = nullptr;
  HDC dc_ = nullptr;
};

// Selects `object` into `dc` for the owner's life and puts the object it replaced back after.
class ScopedSelection {
 public:
  ScopedSelection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  ~ScopedSelection() {
    if (previous_ && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
  }
  ScopedSelection(const ScopedSelection&) = delete;
  ScopedSelection& operator=(const ScopedSelection&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

}  // namespace tavion
