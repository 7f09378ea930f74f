#pragma once
// Hook kind 6: shell events (keyboard language changed, application command). The hook procedure
// runs inside the process whose window raised the event and finds the receiver through the
// shared area.

#include <windows.h>

namespace tavion::sidekit {

// Reports HSHELL_LANGUAGE (lParam: the keyboard layout, its low word the language) and
// HSHELL_APPCOMMAND (lParam: WM_APPCOMMAND's, the command in its high word) to the kind-6
// receiver as its message with wParam = `code`, values only. Other codes, or no receiver, report
// nothing. Returns true when the receiver answered 1.
bool ReportShellEvent(int code, LPARAM lParam);

// WH_SHELL: an application command the receiver answers with 1 is not handled further.
LRESULT CALLBACK ShellHookProc(int code, WPARAM wParam, LPARAM lParam);

}  // namespace tavion::sidekit
