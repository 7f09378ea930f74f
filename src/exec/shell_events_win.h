#pragma once
// The main window's handler of the hook library's shell events (message 0x46A).

#include <windows.h>

#include <cstdint>
#include <functional>

namespace tavion {

// Decides shell event (`wParam`, `lParam`) with the pending counters and answers it: posts
// WM_TV_NOTIFY("mixer", -1) to `mainWindow` for a volume key the program did not cause while a
// wave-output device exists, or calls `refreshLanguageIcon` with the new language. Returns the
// message's result, 0.
LRESULT HandleShellEvent(HWND mainWindow, WPARAM wParam, LPARAM lParam, bool terminating,
                         bool hotKeysDisabled,
                         const std::function<void(uint16_t language)>& refreshLanguageIcon);

}  // namespace tavion
