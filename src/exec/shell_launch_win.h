#pragma once
// Starting programs and documents through the shell, and finding a running copy of a program.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "sidekit.h"

namespace tavion {

// Runs ShellExecuteEx(`verb`, `file`, `parameters`, `folder`, `showCommand`) on a worker thread
// and waits at most `timeoutMs` (INFINITE: until the started process ends) while processing the
// calling thread's messages. Returns the shell's instance result (above 32 is success, else an
// error code), or 0 when the shell has not answered in time or the program ends meanwhile
// (`terminating`, or WM_QUIT). An empty verb, parameter list or folder is passed as null.
intptr_t ShellLaunch(const std::wstring& verb, const std::wstring& file,
                     const std::wstring& parameters, const std::wstring& folder, int showCommand,
                     DWORD timeoutMs, const std::function<bool()>& terminating = {});

// The full path of the executable that process `processId` runs; empty when it cannot be read.
// Needs only the limited query right, so elevated, 32-bit and 64-bit processes are read alike.
std::wstring ProcessImagePath(DWORD processId);

// Brings forward a window of a running copy of the program at `path`: among the visible,
// unowned, captioned top-level windows whose process's image has the same file name (any case),
// one per process, the one after the foreground's process in process-identifier order.
// Uses `forceForeground` (null: SetForegroundWindow). Returns false when no copy runs.
bool ActivateRunningCopy(const std::wstring& path, ForceForegroundWindowFn forceForeground);

}  // namespace tavion
