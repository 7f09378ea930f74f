#include "ui/control_pane_win.h"

namespace tavion {
namespace {

constexpr wchar_t kPaneClass[] = L"TavionControlPane";

LRESULT CALLBACK PaneProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
      return SendMessageW(GetAncestor(hwnd, GA_ROOT), message, wParam, lParam);
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

HWND CreateControlPane(HWND parent, int id, HINSTANCE instance) {
  WNDCLASSW paneClass = {};
  if (!GetClassInfoW(instance, kPaneClass, &paneClass)) {
    paneClass.lpfnWndProc = &PaneProc;
    paneClass.hInstance = instance;
    paneClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    paneClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    paneClass.lpszClassName = kPaneClass;
    if (!RegisterClassW(&paneClass)) return nullptr;
  }
  return CreateWindowExW(WS_EX_CONTROLPARENT, kPaneClass, L"",
                         WS_CHILD | WS_CLIPSIBLINGS | WS_VISIBLE, 0, 0, 0, 0, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
}

HWND FirstTabStop(HWND parent) {
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    if (!IsWindowVisible(child) || !IsWindowEnabled(child)) continue;
    if (GetWindowLongPtrW(child, GWL_STYLE) & WS_TABSTOP) return child;
    if (GetWindowLongPtrW(child, GWL_EXSTYLE) & WS_EX_CONTROLPARENT) {
      if (HWND inner = FirstTabStop(child)) return inner;
    }
  }
  return nullptr;
}

}  // namespace tavion
