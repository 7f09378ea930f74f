#pragma once
// Hook kinds 1 (menu commands) and 6 (shell events): global hooks whose procedures the system
// runs inside other processes, so their receivers travel through the shared area.

#include <windows.h>

namespace tavion::sidekit {

// Install or only re-aim kind 1 / kind 6; remove it (nothing to do when it is not in place).
// Assume the caller holds the hook lock.
bool InitMenuHook(HWND receiver, UINT message);
bool FreeMenuHook();
bool InitShellHook(HWND receiver, UINT message);
bool FreeShellHook();

// Removes what is still installed when the library is unloaded explicitly, before its code goes.
void RemoveGlobalHooksOnUnload();

}  // namespace tavion::sidekit
