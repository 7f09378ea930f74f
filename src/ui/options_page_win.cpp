#include "ui/options_page_win.h"

#include <algorithm>

namespace tavion {
namespace {

// Scrolls the children of `page` to scroll position `pos`, kept within the range.
void ScrollPageTo(HWND page, int pos) {
  SCROLLINFO info = {};
  info.cbSize = sizeof info;
  info.fMask = SIF_ALL;
  if (!GetScrollInfo(page, SB_VERT, &info)) return;
  const int maxPos = info.nMax - static_cast<int>(info.nPage) + 1;
  pos = std::max(info.nMin, std::min(pos, std::max(info.nMin, maxPos)));
  if (pos == info.nPos) return;
  ScrollWindowEx(page, 0, info.nPos - pos, nullptr, nullptr, nullptr, nullptr,
                 SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
  info.fMask = SIF_POS;
  info.nPos = pos;
  SetScrollInfo(page, SB_VERT, &info, TRUE);
}

}  // namespace

void ScrollPageToShow(HWND page, HWND child) {
  RECT r = {}, client = {};
  if (!GetWindowRect(child, &r) || !GetClientRect(page, &client)) return;
  MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&r), 2);
  const int pos = GetScrollPos(page, SB_VERT);
  if (r.top < 0)
    ScrollPageTo(page, pos + r.top);
  else if (r.bottom > client.bottom)
    ScrollPageTo(page, pos + std::min<int>(r.bottom - client.bottom, r.top));
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
  ScrollPageTo(page, pos);
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
