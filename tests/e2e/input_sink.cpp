#include "input_sink.h"

#include <algorithm>

namespace tavion::e2e {

InputSink::InputSink() {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = &InputSink::Proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"TavionE2EInputSink";
  RegisterClassW(&wc);
  hwnd_ = CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, L"sink", WS_POPUP | WS_VISIBLE, 100, 100,
                          200, 200, nullptr, nullptr, wc.hInstance, nullptr);
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetForegroundWindow(hwnd_);
  SetFocus(hwnd_);
}

InputSink::~InputSink() {
  DestroyWindow(hwnd_);
}

int InputSink::KeyDownsOf(WPARAM key) const {
  return static_cast<int>(std::count(keyDowns.begin(), keyDowns.end(), key));
}

LRESULT CALLBACK InputSink::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<InputSink*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self) {
    if (message == WM_KEYDOWN || message == WM_SYSKEYDOWN) self->keyDowns.push_back(wParam);
    if (message == WM_CHAR) self->typed += static_cast<wchar_t>(wParam);
    if (message == WM_LBUTTONDOWN) ++self->clicks;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace tavion::e2e
