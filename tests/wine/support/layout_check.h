#pragma once
// Checks of a laid-out window that a user would frown at: texts cut by their controls, controls
// past the window's right edge, controls on top of each other.
#include <windows.h>

#include <string>
#include <vector>

namespace wine_test {

// `child`'s window rectangle in `parent`'s client coordinates.
RECT RectIn(HWND parent, HWND child);

// The faults of the visible children of `page` laid out at `dpi`, one line each; fewer than
// `minControls` visible children is a fault too.
std::vector<std::string> LayoutFaults(HWND page, int dpi, size_t minControls = 5);

}  // namespace wine_test
