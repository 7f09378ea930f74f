#pragma once
// Messages of the main window (class "TAVION_ROOTWINDOW"). Portable: numbers only.
#include <cstdint>

namespace tavion {

inline constexpr uint32_t kWmUser = 0x400;

// wParam 1: explicit exit, else forced; lParam 1: close at once, without the close query.
inline constexpr uint32_t WM_TV_CLOSE = kWmUser + 5;
// Sent when an execution is done: wParam the code as a zero-terminated string, lParam the action
// index (or -1); wParam 20 with the key code in lParam: a lock key changed.
inline constexpr uint32_t WM_TV_NOTIFY = kWmUser + 6;
// Posted by a second instance: restore and come to the front.
inline constexpr uint32_t WM_TV_ACTIVATE = kWmUser + 7;
// Tray icon callback; lParam the mouse message.
inline constexpr uint32_t WM_TV_TRAY = kWmUser + 11;
// Posted: wParam a heap string (new std::string) with the code, freed by the handler; lParam the
// packed action index and repeat count.
inline constexpr uint32_t WM_TV_EXECUTE = kWmUser + 12;
// wParam 1 update notice, 2 the "running" check, 3 custom OSD position.
inline constexpr uint32_t WM_TV_STATUS = kWmUser + 13;
// Posted by the key handler instead of asking inside the hook call: wParam the action's tree
// index, lParam the packed index and repeat count to execute when the user answers Yes.
inline constexpr uint32_t WM_TV_ASK_LAUNCH = kWmUser + 14;
// Sent by executors on worker threads for work that belongs to the user-interface thread.
inline constexpr uint32_t WM_TV_PROGRAM_COMMAND = kWmUser + 15;
inline constexpr uintptr_t kCommandToggleHotKeys = 1;      // what the tray's "Disable %s" does
inline constexpr uintptr_t kCommandRestoreOrMinimize = 2;  // "tv_opts"
// Posted by the profile saver's thread: a save failed; the handler takes the failure.
inline constexpr uint32_t WM_TV_SAVE_FAILED = kWmUser + 16;
// Posted by the keyboard hook's watch on the first event after the user was idle: the hook's
// health check starts again (to the check's own window, HookHealthMonitor).
inline constexpr uint32_t WM_TV_HOOK_ACTIVE = kWmUser + 20;
// Posted by the background update check when it ends: lParam a heap string (new std::string)
// with the version found, empty when none came; the handler takes and frees it.
inline constexpr uint32_t WM_TV_UPDATE_RESULT = kWmUser + 19;
// A key recorded for the macro being recorded, from the key handler on the hook thread: wParam
// the keyboard layout, lParam a new std::string (the macro item) that the handler frees.
inline constexpr uint32_t WM_TV_RECORD_KEY = kWmUser + 21;

// wParam of WM_TV_NOTIFY for a lock-key notification.
inline constexpr uintptr_t kNotifyLockState = 20;
// WM_TV_STATUS wParam values.
inline constexpr uintptr_t kStatusUpdateNotice = 1;
inline constexpr uintptr_t kStatusRunningCheck = 2;
inline constexpr uintptr_t kStatusCustomOsdPosition = 3;
// The macros page ends the recording in progress (the tray icon was clicked while recording).
inline constexpr uintptr_t kStatusStopRecording = 4;

}  // namespace tavion
