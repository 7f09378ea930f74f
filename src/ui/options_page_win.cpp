#include "ui/options_page_win.h"

#include <algorithm>

namespace tavion {
namespace {

constexpr wchar_t kPageClass[] = L"TavionOptionsPage";

// The page scrolls its controls and hands their notifications to the main window.
LRESULT CALLBACK PageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
      return SendMessageW(GetParent(hwnd), message, wParam, lParam);
    case WM_MOUSEWHEEL: {
      const int delta = GET_WHEEL_DELTA_WPARAM(wParam);
      SendMessageW(hwnd, WM_VSCROLL, delta < 0 ? SB_LINEDOWN : SB_LINEUP, 0);
      return 0;
    }
    case WM_VSCROLL: {
      SCROLLINFO info = {};
      info.cbSize = sizeof info;
      info.fMask = SIF_ALL;
      GetScrollInfo(hwnd, SB_VERT, &info);
      int pos = info.nPos;
      switch (LOWORD(wParam)) {
        case SB_LINEUP:
          pos -= 24;
          break;
        case SB_LINEDOWN:
          pos += 24;
          break;
        case SB_PAGEUP:
          pos -= static_cast<int>(info.nPage);
          break;
        case SB_PAGEDOWN:
          pos += static_cast<int>(info.nPage);
          break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION:
          pos = info.nTrackPos;
          break;
        case SB_TOP:
          pos = info.nMin;
          break;
        case SB_BOTTOM:
          pos = info.nMax;
          break;
      }
      const int maxPos = info.nMax - static_cast<int>(info.nPage) + 1;
      pos = std::max(info.nMin, std::min(pos, std::max(info.nMin, maxPos)));
      if (pos != info.nPos) {
        ScrollWindowEx(hwnd, 0, info.nPos - pos, nullptr, nullptr, nullptr, nullptr,
                       SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
        info.fMask = SIF_POS;
        info.nPos = pos;
        SetScrollInfo(hwnd, SB_VERT, &info, TRUE);
      }
      return 0;
    }
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

HWND CreateScrollingPage(HWND parent, HINSTANCE instance) {
  WNDCLASSEXW page = {};
  page.cbSize = sizeof page;
  page.lpfnWndProc = &PageProc;
  page.hInstance = instance;
  page.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  page.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  page.lpszClassName = kPageClass;
  if (!RegisterClassExW(&page) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return nullptr;
  return CreateWindowExW(WS_EX_CONTROLPARENT, kPageClass, L"",
                         WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_CLIPCHILDREN, 0, 0, 100, 100,
                         parent, nullptr, instance, nullptr);
}

void SetScrollingPageContentHeight(HWND page, int height) {
  RECT client;
  if (!GetClientRect(page, &client)) return;
  SCROLLINFO info = {};
  info.cbSize = sizeof info;
  info.fMask = SIF_RANGE | SIF_PAGE;
  info.nMin = 0;
  info.nMax = height;
  info.nPage = static_cast<UINT>(client.bottom);
  SetScrollInfo(page, SB_VERT, &info, TRUE);
}

}  // namespace tavion
