#pragma once
// Waiting on the user-interface thread without freezing it.
#include <windows.h>

namespace tavion {

// Waits `ms` milliseconds in steps of 10 ms while processing the thread's window messages.
// Returns false, early, when the application is ending (WM_QUIT was taken from the queue; it is
// posted again for the message loop).
bool WaitProcessingMessages(DWORD ms);

}  // namespace tavion
