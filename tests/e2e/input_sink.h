#pragma once
// A focused window of the test that records the keys, characters and clicks it receives.
#include <windows.h>

#include <string>
#include <vector>

namespace tavion::e2e {

class InputSink {
 public:
  // Creates the window topmost at (100, 100), 200 by 200, and gives it the focus.
  InputSink();
  ~InputSink();
  InputSink(const InputSink&) = delete;
  InputSink& operator=(const InputSink&) = delete;

  HWND hwnd() const { return hwnd_; }
  // How many key-downs (WM_KEYDOWN or WM_SYSKEYDOWN) of `key` arrived.
  int KeyDownsOf(WPARAM key) const;

  std::vector<WPARAM> keyDowns;  // every key-down, in order
  std::wstring typed;            // the characters (WM_CHAR)
  int clicks = 0;

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  HWND hwnd_ = nullptr;
};

}  // namespace tavion::e2e
