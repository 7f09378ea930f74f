#pragma once
// What the main window's own keys and mouse filters mean. Portable; the message loop's
// pre-translation (main_window_keys_win.cpp) carries them out.

#include <cstdint>
#include <optional>

#include "ui/list_command.h"

namespace tavion {

enum class WindowKeyAction : uint8_t {
  kNone,
  kHelp,         // F1: the help topic "about.htm"
  kListCommand,  // Insert, F2, Delete, F4, F5: the focused list's command
  kInfo,         // F10: "hd_info"
  kRestart,      // F11: the restart question
  kNextView,     // F12: the page's next view
};

struct WindowKey {
  WindowKeyAction action = WindowKeyAction::kNone;
  ListCommand command = ListCommand::kAdd;  // for kListCommand
  friend bool operator==(const WindowKey&, const WindowKey&) = default;
};

// The meaning of a key press `virtualKey` (a Windows virtual-key code); none while Shift, Ctrl
// or Alt is held.
WindowKey WindowKeyFor(unsigned virtualKey, bool shift, bool ctrl, bool alt);

enum class TitleButton : uint8_t { kNone, kMinimize, kMaximize, kRestore, kClose };

// The title-bar button a left press at hit-test code `hitTest` acts on at once, for a window that
// is `maximized` or not; kNone for any other place.
TitleButton TitleButtonAt(int hitTest, bool maximized);

}  // namespace tavion
