#pragma once
// A child window that holds a tall page of controls, scrolls it vertically (scroll bar and
// wheel), and hands its controls' notifications to its parent; and the scrolling itself, for
// other page windows.
#include <windows.h>

namespace tavion {

// Creates a hidden page window of class `className` (registered with `procedure` when first
// asked) across the client area of `parent`; `createParam` reaches WM_NCCREATE. Null when it
// cannot be created.
HWND CreatePageWindow(HWND parent, HINSTANCE instance, const wchar_t* className, WNDPROC procedure,
                      void* createParam);

// Creates the page as a shown child of `parent`. Null when it cannot be created.
HWND CreateScrollingPage(HWND parent, HINSTANCE instance);

// Sets the height of the page's content; the scroll range follows it and the page's own height.
void SetScrollingPageContentHeight(HWND page, int height);

// Scrolls the children of `page` for WM_VSCROLL and WM_MOUSEWHEEL; false for other messages.
bool HandlePageScroll(HWND page, UINT message, WPARAM wParam);

}  // namespace tavion
