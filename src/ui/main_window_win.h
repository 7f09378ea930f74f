#pragma once
// The main window, class "TAVION_ROOTWINDOW": receives the hook events and owns the hooks.

#include <windows.h>

#include "pipeline/hook_set_win.h"

namespace tavion {

class SidekitLibrary;

inline constexpr wchar_t kMainWindowClass[] = L"TAVION_ROOTWINDOW";

class MainWindow {
 public:
  explicit MainWindow(SidekitLibrary& library) : library_(library) {}
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Registers the class and creates the window; installs the hooks. Returns false when the
  // window cannot be created.
  bool Create(HINSTANCE instance, int showCommand);
  HWND Handle() const { return hwnd_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  SidekitLibrary& library_;
  MainHooks hooks_;
  HWND hwnd_ = nullptr;
};

}  // namespace tavion
