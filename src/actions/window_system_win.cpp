#include "actions/window_system_win.h"

#include "base/utf_win.h"

namespace tavion {
namespace {

// Class names and captions are compared with at most 255 characters.
constexpr int kTextBuffer = 256;

BOOL CALLBACK CollectWindow(HWND window, LPARAM list) {
  reinterpret_cast<std::vector<WindowHandle>*>(list)->push_back(ToWindowHandle(window));
  return TRUE;
}

}  // namespace

WindowHandle Win32WindowSystem::ForegroundWindow() const {
  return ToWindowHandle(GetForegroundWindow());
}

std::vector<WindowHandle> Win32WindowSystem::TopLevelWindows() const {
  std::vector<WindowHandle> windows;
  // A failure leaves the windows gathered so far, which is what a caller can use.
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

std::string Win32WindowSystem::ClassName(WindowHandle window) const {
  wchar_t text[kTextBuffer];
  const int length = GetClassNameW(ToHwnd(window), text, kTextBuffer);
  return length > 0 ? WideToUtf8({text, static_cast<std::size_t>(length)}) : std::string();
}

std::string Win32WindowSystem::Caption(WindowHandle window) const {
  wchar_t text[kTextBuffer];
  // The title the system keeps, read without a message: GetWindowText would send one to a window
  // of this process, and wait for its thread, which may be the one waiting for us.
  const int length = InternalGetWindowText(ToHwnd(window), text, kTextBuffer);
  return length > 0 ? WideToUtf8({text, static_cast<std::size_t>(length)}) : std::string();
}

bool Win32WindowSystem::BringToForeground(WindowHandle window) {
  const HWND hwnd = ToHwnd(window);
  if (forceForeground_ != nullptr) return forceForeground_(hwnd) != FALSE;
  SetForegroundWindow(hwnd);
  return GetForegroundWindow() == hwnd;
}

}  // namespace tavion
