#pragma once
// What the settings load and save need of the system: the process priority, the local clock,
// the settings-format question and the main window's placement.

#include <windows.h>

#include <optional>
#include <string>

#include "settings/settings_store.h"

namespace tavion {

// Raises the main thread and the process: above normal, or highest / high. Returns whether both
// calls succeeded.
bool ApplyProcessPriority(ProcessPriority priority);

// Now in local time, as days since 30 December 1899.
double CurrentDateTime();

// The settings-format question: Yes/No/Cancel with the warning icon, caption "Tavion", owned by
// `owner` (null before any window exists). A box that cannot be shown answers No.
AskAnswer AskKernelConflict(const std::string& message, HWND owner = nullptr);

// The placement of a top-level window. Bounds are in screen coordinates of the primary monitor.
// A hidden window is not shown by Maximize: it is marked so that the caller shows it maximised
// (ShowCommandForFirstShow).
class Win32WindowGeometry final : public MainWindowGeometry {
 public:
  explicit Win32WindowGeometry(HWND hwnd) : hwnd_(hwnd) {}

  int ScreenWidth() const override;
  int ScreenHeight() const override;
  void SetSize(int width, int height) override;
  void SetLeft(int left) override;
  void SetTop(int top) override;
  void Maximize() override;
  bool IsMaximized() const override;
  std::optional<WindowRect> NormalBounds() const override;

  // SW_SHOWMAXIMIZED when Maximize was asked of the hidden window, else `normal`.
  int ShowCommandForFirstShow(int normal) const {
    return maximizePending_ ? SW_SHOWMAXIMIZED : normal;
  }

 private:
  // Moves the normal bounds to `bounds`, also while the window is maximised or minimised.
  void SetNormalBounds(const WindowRect& bounds);

  HWND hwnd_;
  bool maximizePending_ = false;
};

}  // namespace tavion
