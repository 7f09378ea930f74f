#pragma once
// How every hook hands an event to its receiver.

#include <windows.h>

#include "hook_targets.h"

namespace tavion::sidekit {

// The longest a hook waits for a receiver's answer: well below the system's low-level hook
// time-out (LowLevelHooksTimeout under HKCU\Control Panel\Desktop), past which Windows 7 and
// later silently remove the hook.
inline constexpr UINT kReceiverTimeoutMs = 200;

// Sends `wParam`/`lParam` to the target and returns true when it answered 1 (swallow).
// SMTO_NORMAL, not SMTO_BLOCK: a receiver may inject input while it handles an event, and the
// hook thread must then be free to run the hook for that input while it waits. A time-out, a
// hung or destroyed receiver, or any other answer lets the event pass.
bool DeliverToTarget(HookTarget target, WPARAM wParam, LPARAM lParam);

}  // namespace tavion::sidekit
