#pragma once
// The wheel over any window of the program scrolls the control under the cursor, not the
// focused one.
#include <windows.h>

namespace tavion {

// For a WM_MOUSEWHEEL `msg`: sends one WM_VSCROLL line step (down for a negative delta, else up)
// to the innermost window of this process under the cursor that has a vertical scroll bar.
// Returns whether there was one (the message is then handled).
bool ScrollUnderCursor(const MSG& msg);

}  // namespace tavion
