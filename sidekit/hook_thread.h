#pragma once
// The library's own thread for the low-level hooks: the system calls a low-level hook on the
// thread that installed it, through that thread's message loop, so the hooks live on a thread
// that does nothing else and never waits for the user-interface thread longer than the bound.

#include <windows.h>

namespace tavion::sidekit {

// Runs `task(context)` on the hook thread and returns its result; false when the thread cannot
// be started. Starts the thread when none runs. While it waits, the calling thread handles the
// messages sent to it, so a hook event in flight to one of its windows cannot stall the call.
// Assumes the caller serialises the calls (the library's hook lock).
bool RunOnHookThread(bool (*task)(void* context), void* context);

// Lets the hook thread end once it has run the tasks already given to it; the next
// RunOnHookThread starts a new one. Call it when the last low-level hook is gone.
void ReleaseHookThread();

// Waits until `object` is signalled or `thread` ends, handling the messages sent to the calling
// thread meanwhile. Returns true when `object` was signalled.
bool WaitHandlingSentMessages(HANDLE object, HANDLE thread);

}  // namespace tavion::sidekit
