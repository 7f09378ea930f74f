#pragma once
// Fakes of the system interfaces the portable core reads: the keyboard and the windows.

#include <algorithm>
#include <bitset>
#include <initializer_list>
#include <string>
#include <vector>

#include "actions/exec_on.h"
#include "keys/key_text.h"
#include "keys/pressed_keys.h"

namespace tavion::test {

// The synchronous and the asynchronous state are kept apart, so that code reading the wrong one
// fails; Press and Release change both.
class FakeKeyState final : public KeyState {
 public:
  FakeKeyState(std::initializer_list<uint8_t> down = {}) {
    for (uint8_t key : down) Press(key);
  }
  bool IsDown(uint8_t keyCode, bool asynchronous) const override {
    return (asynchronous ? async : sync).test(keyCode);
  }
  void Press(uint8_t key) { sync.set(key), async.set(key); }
  void Release(uint8_t key) { sync.reset(key), async.reset(key); }

  std::bitset<256> sync, async;
};

// Top-level windows in z-order, topmost first; raising one makes it the foreground window unless
// `raiseFails`.
class FakeWindows final : public WindowSystem {
 public:
  struct Window {
    WindowHandle handle;
    std::string windowClass, caption;
  };
  explicit FakeWindows(std::vector<Window> windows, WindowHandle foregroundWindow = 0)
      : foreground(foregroundWindow), windows_(std::move(windows)) {}

  WindowHandle ForegroundWindow() const override { return foreground; }
  std::vector<WindowHandle> TopLevelWindows() const override {
    std::vector<WindowHandle> handles;
    for (const Window& w : windows_) handles.push_back(w.handle);
    return handles;
  }
  std::string ClassName(WindowHandle window) const override {
    ++classReads;
    const Window* w = Find(window);
    return w ? w->windowClass : std::string();
  }
  std::string Caption(WindowHandle window) const override {
    const Window* w = Find(window);
    return w ? w->caption : std::string();
  }
  bool BringToForeground(WindowHandle window) override {
    raised.push_back(window);
    if (!raiseFails) foreground = window;
    return !raiseFails;
  }

  WindowHandle foreground;
  bool raiseFails = false;
  std::vector<WindowHandle> raised;
  mutable int classReads = 0;

 private:
  const Window* Find(WindowHandle handle) const {
    const auto it = std::ranges::find(windows_, handle, &Window::handle);
    return it == windows_.end() ? nullptr : &*it;
  }
  std::vector<Window> windows_;
};

// A keyboard layout that names a key by its scan code, 256 added for an extended one; a key without
// a scan code has no name. F1 (112) is the one key code it knows the scan code of: 59.
class FakeSystemKeyNames final : public SystemKeyNames {
 public:
  uint32_t ScanCodeOf(uint32_t keyCode) const override { return keyCode == 112 ? 59 : 0; }
  std::string KeyName(uint32_t lParam) const override {
    const uint32_t scan = (lParam >> 16) & 0x1FF;
    return (scan & 0xFF) == 0 ? "" : std::to_string(scan);
  }
};

}  // namespace tavion::test
