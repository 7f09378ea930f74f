// Foreground and focus helpers.
#include "sidekit.h"

SIDEKIT_API BOOL WINAPI ForceForegroundWindow(HWND window) {
  if (!IsWindow(window)) return FALSE;
  // Asynchronous: ShowWindow would wait for the window's thread, which may be busy or hung, and
  // the caller may be the hook thread that every key of the system waits for.
  if (IsIconic(window)) ShowWindowAsync(window, SW_RESTORE);

  // The system grants the foreground only to the process that has it; sharing the input state of
  // the foreground thread for the moment makes this thread count as that process. No input is
  // injected for it.
  const DWORD ownThread = GetCurrentThreadId();
  const HWND foreground = GetForegroundWindow();
  const DWORD foregroundThread =
      foreground ? GetWindowThreadProcessId(foreground, /*lpdwProcessId=*/nullptr) : 0;
  const bool attached = foregroundThread != 0 && foregroundThread != ownThread &&
                        AttachThreadInput(ownThread, foregroundThread, TRUE);
  SetForegroundWindow(window);
  // Posted to the window's thread, as SetForegroundWindow itself does, rather than waited for.
  SetWindowPos(window, HWND_TOP, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS);
  if (attached) AttachThreadInput(ownThread, foregroundThread, FALSE);
  // Detaching may leave no foreground window at all (Wine does that); by now this thread may set
  // it directly.
  if (GetForegroundWindow() != window) SetForegroundWindow(window);
  return GetForegroundWindow() == window;
}

SIDEKIT_API HWND WINAPI GetFocusedWindow(DWORD threadId) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  if (GetGUIThreadInfo(threadId, &info) && info.hwndFocus) return info.hwndFocus;
  return GetForegroundWindow();
}
