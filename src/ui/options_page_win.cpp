#include "ui/options_page_win.h"

#include <algorithm>

namespace tavion {
namespace {

constexpr wchar_t kPageClass[] = L"TavionOptionsPage";

// The page scrolls its controls and hands their notifications to the main window.
LRESULT CALLBACK PageProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND || message == WM_NOTIFY)
    return SendMessageW(GetParent(hwnd), message, wParam, lParam);
  if (HandlePageScroll(hwnd, message, wParam)) return 0;
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

HWND CreatePageWindow(HWND parent, HINSTANCE instance, const wchar_t* className, WNDPROC procedure,
                      void* createParam) {
  WNDCLASSEXW page = {};
  page.cbSize = sizeof page;
  page.lpfnWndProc = procedure;
  page.hInstance = instance;
  page.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  page.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  page.lpszClassName = className;
  if (!RegisterClassExW(&page) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return nullptr;
  RECT client = {};
  GetClientRect(parent, &client);
  return CreateWindowExW(WS_EX_CONTROLPARENT, className, L"",
                         WS_CHILD | WS_VSCROLL | WS_CLIPCHILDREN, 0, 0, client.right, client.bottom,
                         parent, nullptr, instance, createParam);
}

HWND CreateScrollingPage(HWND parent, HINSTANCE instance) {
  HWND page = CreatePageWindow(parent, instance, kPageClass, &PageProc, nullptr);
  if (page) ShowWindow(page, SW_SHOWNA);
  return page;
}

bool HandlePageScroll(HWND page, UINT message, WPARAM wParam) {
  if (message == WM_MOUSEWHEEL) {
    const int delta = GET_WHEEL_DELTA_WPARAM(wParam);
    SendMessageW(page, WM_VSCROLL, delta < 0 ? SB_LINEDOWN : SB_LINEUP, 0);
    return true;
  }
  if (message != WM_VSCROLL) return false;
  SCROLLINFO info = {};
  info.cbSize = sizeof info;
  info.fMask = SIF_ALL;
  GetScrollInfo(page, SB_VERT, &info);
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
    ScrollWindowEx(page, 0, info.nPos - pos, nullptr, nullptr, nullptr, nullptr,
                   SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
    info.fMask = SIF_POS;
    info.nPos = pos;
    SetScrollInfo(page, SB_VERT, &info, TRUE);
  }
  return true;
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
