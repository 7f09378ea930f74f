#pragma once
// Which windows are the Windows shell's own (the desktop and the task bar), which the window
// actions must not touch. Portable; the Win32 side reads the facts of a window.

#include <string_view>

namespace tavion {

struct ShellWindowFacts {
  std::string_view windowClass;
  std::string_view caption;
  bool isDesktopWindow = false;  // GetDesktopWindow() itself
  bool childOfTaskBar = false;   // its parent is the "Shell_TrayWnd" window
};

// True for the desktop window, "Progman" captioned "Program Manager", "WorkerW" without a
// caption, "Shell_TrayWnd" and the windows whose parent is the task bar.
bool IsShellWindow(const ShellWindowFacts& facts);

}  // namespace tavion
