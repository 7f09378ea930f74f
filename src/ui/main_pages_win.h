#pragma once
// The pages of the main window, in the order of its navigation, and the page that stands in for
// one not built yet.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "ui/page_win.h"

namespace tavion {

// Every page of the main window in navigation order: "About"; "Main options", "Media player
// manage", "HotKeys Actions", "OnScreen display", "Macros", "Names of keys", "Plugins";
// "Keyboard layout", "Shell keys". MainNavigation() addresses them by this position.
std::vector<std::unique_ptr<Page>> CreateMainPages();

// Creates an empty child window for a page (hidden, a control parent for Tab, the dialog's face
// colour) whose messages go to `proc`, with `data` in its user data. Null when it fails.
HWND CreatePageWindow(HWND parent, HINSTANCE instance, WNDPROC proc, void* data);

}  // namespace tavion
