#pragma once
// Vertical scrolling of a page window that holds controls taller than itself (scroll bar and
// wheel).
#include <windows.h>

namespace tavion {

// Sets the height of the page's content; the scroll range follows it and the page's own height.
void SetScrollingPageContentHeight(HWND page, int height);

// Scrolls the children of `page` so that `child` is wholly in view, as far as the range allows.
void ScrollPageToShow(HWND page, HWND child);

// Scrolls the children of `page` for WM_VSCROLL and WM_MOUSEWHEEL; false for other messages.
bool HandlePageScroll(HWND page, UINT message, WPARAM wParam);

}  // namespace tavion
