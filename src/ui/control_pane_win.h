#pragma once
// A plain child window that holds controls, so that they can be shown, hidden and moved as one,
// and that hands their notices (WM_COMMAND, WM_NOTIFY, the colour messages) to its top-level
// window, the dialog that handles them.
#include <windows.h>

namespace tavion {

// Creates a visible pane with id `id` in `parent`; null when it cannot be made. The dialog
// manager's Tab walks into it.
HWND CreateControlPane(HWND parent, int id, HINSTANCE instance);

// The first visible and enabled Tab stop in `parent`, in Tab order, looking into the windows that
// hold controls (WS_EX_CONTROLPARENT); null when there is none.
HWND FirstTabStop(HWND parent);

}  // namespace tavion
