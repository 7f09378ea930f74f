#pragma once
// Hook kind 1: menu commands chosen in other programs. The hook procedures run inside every
// process of the desktop and find the receiver through the shared area.

#include <windows.h>

namespace tavion::sidekit {

// True for the messages a menu command sends: WM_COMMAND from a menu (notification code 0, no
// control) and WM_SYSCOMMAND other than the keyboard and mouse menu activation.
bool IsMenuCommand(UINT message, WPARAM wParam, LPARAM lParam);

// Reports a menu command addressed to `window` to the kind-1 receiver as its message (wParam:
// the command's message number) and then its message + 1 (the command's wParam and lParam).
// Ignores other messages, and commands to windows of the receiver's own process.
void ReportMenuCommand(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// WH_GETMESSAGE: posted commands, once, when they are taken off the queue.
LRESULT CALLBACK MenuGetMessageProc(int code, WPARAM wParam, LPARAM lParam);
// WH_CALLWNDPROC: sent commands.
LRESULT CALLBACK MenuCallWndProc(int code, WPARAM wParam, LPARAM lParam);

}  // namespace tavion::sidekit
