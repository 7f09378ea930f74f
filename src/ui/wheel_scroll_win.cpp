#include "ui/wheel_scroll_win.h"

#include <windowsx.h>

namespace tavion {
namespace {

// Whether `hwnd` is a window of this process.
bool OwnWindow(HWND hwnd) {
  DWORD process = 0;
  GetWindowThreadProcessId(hwnd, &process);
  return process == GetCurrentProcessId();
}

// The innermost window at `point` that has a vertical scroll bar, among this process's; null when
// there is none.
HWND ScrollableAt(POINT point) {
  for (HWND hwnd = WindowFromPoint(point); hwnd && OwnWindow(hwnd); hwnd = GetParent(hwnd)) {
    if (GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_VSCROLL) return hwnd;
    if (!(GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_CHILD)) break;
  }
  return nullptr;
}

}  // namespace

bool ScrollUnderCursor(const MSG& msg) {
  const POINT point = {GET_X_LPARAM(msg.lParam), GET_Y_LPARAM(msg.lParam)};
  HWND target = ScrollableAt(point);
  if (!target) return false;
  SendMessageW(target, WM_VSCROLL, GET_WHEEL_DELTA_WPARAM(msg.wParam) < 0 ? SB_LINEDOWN : SB_LINEUP,
               0);
  return true;
}

}  // namespace tavion
