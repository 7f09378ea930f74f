#pragma once
// A child window that holds a tall page of controls, scrolls it vertically (scroll bar and
// wheel), and hands its controls' notifications to its parent.
#include <windows.h>

namespace tavion {

// Creates the page as a child of `parent`. Null when it cannot be created.
HWND CreateScrollingPage(HWND parent, HINSTANCE instance);

// Sets the height of the page's content; the scroll range follows it and the page's own height.
void SetScrollingPageContentHeight(HWND page, int height);

}  // namespace tavion
