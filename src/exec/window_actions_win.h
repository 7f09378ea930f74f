#pragma once
// The window actions on real windows: the "wm_" executors, "ms_wmsg", "ke_keyz", and the window
// helpers they share.

#include <windows.h>

#include <functional>

#include "exec/dispatcher.h"
#include "exec/key_replace.h"
#include "sidekit.h"

namespace tavion {

// What the window executors take from the program.
struct WindowServices {
  // The key sender: the browser keys of "wm_scroll", its zoom wheel steps, and "ke_keyz".
  // Null: those send nothing.
  KeySender sendKeys;
  // The window with the keyboard focus in the foreground thread (the support library's
  // GetFocusedWindow(0)); null: the focus the system reports for the foreground thread.
  std::function<HWND()> focusedWindow;
  // The support library's ForceForegroundWindow, which "wm_s/\h" brings a window back with;
  // null: SetForegroundWindow.
  ForceForegroundWindowFn forceForeground = nullptr;
};

// Registers the executors of "wm_wtop", "wm_wmax", "wm_wctr", "wm_wmin", "wm_wclz", "wm_s/\h",
// "wm_alfa", "wm_scroll", "ms_wmsg" and "ke_keyz" with the dispatcher. Call at start-up.
void RegisterWindowExecutors(const WindowServices& services);

// The window itself, or the first ancestor reached by climbing parents that are not also the
// window's owner (an owned pop-up stays itself). Null for null.
HWND TopLevelOf(HWND window);

// The window at the mouse cursor; with `child`, the child window at that point inside it when
// there is one, otherwise its TopLevelOf. Null when there is no window there.
HWND WindowUnderCursor(bool child);

// The layered-window alpha the system reports for `window`: 255 when it reports none.
int WindowAlpha(HWND window);

// Posts the scroll messages of `direction` and `count` lines (0: one page). With
// `findScrollBar`, to the first of the window and its ancestors that has a scroll bar of that
// orientation (its style, or a "ScrollBar" child whose handle goes in lParam), failing when none
// has; otherwise to the window itself. Returns false when nothing could be posted.
bool PostScroll(HWND window, int direction, int count, bool findScrollBar);

// Scrolls `window` (null: the focused window): to its scroll bar, else to the window under the
// mouse cursor when that belongs to the foreground window, else to the window itself.
void ScrollWindowBy(int direction, int count, HWND window,
                    const std::function<HWND()>& focusedWindow = {});

}  // namespace tavion
