#pragma once
// A hidden top-level window of a plain class, destroyed with the test that made it.

#include <windows.h>

namespace tavion {

class TestWindow {
 public:
  TestWindow(int width, int height) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TavionSettingsTestWindow";
    RegisterClassW(&wc);  // already registered by an earlier test: fine
    hwnd_ = CreateWindowExW(0, wc.lpszClassName, L"test", WS_OVERLAPPEDWINDOW, 0, 0, width, height,
                            nullptr, nullptr, wc.hInstance, nullptr);
  }
  ~TestWindow() {
    if (hwnd_) DestroyWindow(hwnd_);
  }
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;
  HWND get() const { return hwnd_; }

 private:
  HWND hwnd_ = nullptr;
};

}  // namespace tavion
