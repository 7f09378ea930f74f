#pragma once
// The system's windows behind the window conditions.

#include <windows.h>

#include "actions/exec_on.h"
#include "sidekit.h"

namespace tavion {

inline HWND ToHwnd(WindowHandle window) {
  return reinterpret_cast<HWND>(window);
}
inline WindowHandle ToWindowHandle(HWND window) {
  return reinterpret_cast<WindowHandle>(window);
}

class Win32WindowSystem final : public WindowSystem {
 public:
  // Windows are raised with `forceForeground` (the support library's ForceForegroundWindow, which
  // also works when another process owns the foreground), or with SetForegroundWindow when null.
  explicit Win32WindowSystem(ForceForegroundWindowFn forceForeground = nullptr)
      : forceForeground_(forceForeground) {}

  WindowHandle ForegroundWindow() const override;
  // Every top-level window, hidden ones included, in z-order.
  std::vector<WindowHandle> TopLevelWindows() const override;
  std::string ClassName(WindowHandle window) const override;
  std::string Caption(WindowHandle window) const override;
  bool BringToForeground(WindowHandle window) override;

 private:
  ForceForegroundWindowFn forceForeground_;
};

}  // namespace tavion
