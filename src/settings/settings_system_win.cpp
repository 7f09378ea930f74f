#include "settings/settings_system_win.h"

#include "base/utf_win.h"

namespace tavion {

bool ApplyProcessPriority(ProcessPriority priority) {
  const bool high = priority == ProcessPriority::kHigh;
  const BOOL thread = SetThreadPriority(
      GetCurrentThread(), high ? THREAD_PRIORITY_HIGHEST : THREAD_PRIORITY_ABOVE_NORMAL);
  const BOOL process = SetPriorityClass(GetCurrentProcess(),
                                        high ? HIGH_PRIORITY_CLASS : ABOVE_NORMAL_PRIORITY_CLASS);
  return thread && process;
}

double CurrentDateTime() {
  SYSTEMTIME now = {};
  GetLocalTime(&now);
  return DateTimeFromCivil(now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond) +
         now.wMilliseconds / 86400000.0;
}

AskAnswer AskKernelConflict(const std::string& message, HWND owner) {
  switch (
      MessageBoxW(owner, Utf8ToWide(message).c_str(), L"Tavion", MB_YESNOCANCEL | MB_ICONWARNING)) {
    case IDYES:
      return AskAnswer::kYes;
    case IDCANCEL:
      return AskAnswer::kCancel;
    default:
      return AskAnswer::kNo;
  }
}

int Win32WindowGeometry::ScreenWidth() const {
  return GetSystemMetrics(SM_CXSCREEN);
}

int Win32WindowGeometry::ScreenHeight() const {
  return GetSystemMetrics(SM_CYSCREEN);
}

std::optional<WindowRect> Win32WindowGeometry::NormalBounds() const {
  RECT r = {};
  if (IsZoomed(hwnd_) || IsIconic(hwnd_)) {
    // rcNormalPosition is in work-area coordinates; the work area's origin makes them screen
    // coordinates again (they differ when the taskbar is at the top or the left).
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    if (!GetWindowPlacement(hwnd_, &placement)) return std::nullopt;
    RECT work = {};
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0)) work = {};
    r = placement.rcNormalPosition;
    OffsetRect(&r, work.left, work.top);
  } else if (!GetWindowRect(hwnd_, &r)) {
    return std::nullopt;
  }
  return WindowRect{r.left, r.top, r.right - r.left, r.bottom - r.top};
}

void Win32WindowGeometry::SetNormalBounds(const WindowRect& bounds) {
  if (IsZoomed(hwnd_) || IsIconic(hwnd_)) {
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    if (!GetWindowPlacement(hwnd_, &placement)) return;
    RECT work = {};
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0)) work = {};
    placement.rcNormalPosition = {bounds.left - work.left, bounds.top - work.top,
                                  bounds.left - work.left + bounds.width,
                                  bounds.top - work.top + bounds.height};
    // Keeps the window as it is shown; only the restored bounds change.
    placement.showCmd = IsZoomed(hwnd_) ? SW_SHOWMAXIMIZED : SW_SHOWMINIMIZED;
    if (!IsWindowVisible(hwnd_)) placement.showCmd = SW_HIDE;
    SetWindowPlacement(hwnd_, &placement);
    return;
  }
  SetWindowPos(hwnd_, nullptr, bounds.left, bounds.top, bounds.width, bounds.height,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32WindowGeometry::SetSize(int width, int height) {
  WindowRect bounds = NormalBounds().value_or(WindowRect{});
  bounds.width = width;
  bounds.height = height;
  SetNormalBounds(bounds);
}

void Win32WindowGeometry::SetLeft(int left) {
  WindowRect bounds = NormalBounds().value_or(WindowRect{});
  bounds.left = left;
  SetNormalBounds(bounds);
}

void Win32WindowGeometry::SetTop(int top) {
  WindowRect bounds = NormalBounds().value_or(WindowRect{});
  bounds.top = top;
  SetNormalBounds(bounds);
}

void Win32WindowGeometry::Maximize() {
  if (IsWindowVisible(hwnd_)) {
    ShowWindow(hwnd_, SW_MAXIMIZE);
  } else {
    maximizePending_ = true;
  }
}

bool Win32WindowGeometry::IsMaximized() const {
  return maximizePending_ || IsZoomed(hwnd_);
}

}  // namespace tavion
