#pragma once
// Hook kinds 2 to 5: the low-level keyboard and mouse hooks, each with a receiver of its own,
// running on the library's hook thread.

#include <windows.h>

#include <cstdint>

#include "sidekit.h"

namespace tavion::sidekit {

// How many later events a receiver may fall behind and still read the record of its own event.
// While its receiver stalls, each event holds the hook for the delivery bound, so a ring this
// long covers a stall of most of a minute.
inline constexpr uint32_t kRecordSlots = 256;

// Installs low-level hook `kind` reporting to `receiver` as `message`, or only changes the
// receiver when the kind is in place. `receiver` must belong to this process: the event record
// travels as a pointer. Assumes the caller holds the hook lock.
bool InitLowLevelHook(int kind, HWND receiver, UINT message);

// The same with a receiver called on the hook thread (InitHookCall).
bool InitLowLevelCall(int kind, SidekitHookProc proc, void* context);

// Removes low-level hook `kind`; nothing to do when it is not in place. Ends the hook thread with
// the last hook. Assumes the caller holds the hook lock.
bool FreeLowLevelHook(int kind);

}  // namespace tavion::sidekit
