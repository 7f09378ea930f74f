#pragma once
// The window picker (TFr_wb): a window named by class and caption, typed in or chosen from the
// top-level windows of the desktop.
#include <windows.h>

#include <functional>
#include <string>

namespace tavion {

// Shows the picker over `owner` with `windowClass` and `caption` in its edits. In `maskMode` the
// tip speaks of masks and a help button opens `showHelp` (disabled while it is null). Returns
// true when the user confirmed with OK; the two edits' texts are then handed back. OK with both
// texts empty beeps and keeps the picker open.
bool PickWindow(HWND owner, std::string& windowClass, std::string& caption, bool maskMode,
                const std::function<void(const std::string& topic)>& showHelp = {});

}  // namespace tavion
