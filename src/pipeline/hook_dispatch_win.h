#pragma once
// The key handler where the keys are: the library calls it on its hook thread, so a key costs no
// thread switch and a busy user-interface thread delays no key. The same handler answers the key
// and mouse messages sent to the main window (the raw-input layer's HID keys, other programs),
// one call at a time.

#include <windows.h>

#include <string>

#include "pipeline/hook_set_win.h"
#include "pipeline/hook_watch.h"
#include "pipeline/key_dispatch.h"
#include "pipeline/key_dispatch_host_win.h"

namespace tavion {

class HookDispatch {
 public:
  // As Win32DispatchHost; `watch` (may be null, must outlive the hooks) sees every keyboard
  // event of the hook first and takes the health check's probe.
  HookDispatch(HWND mainWindow, ForceForegroundWindowFn forceForeground,
               std::wstring resourceFolder, HookWatch* watch = nullptr);
  ~HookDispatch() { DeleteCriticalSection(&lock_); }
  HookDispatch(const HookDispatch&) = delete;
  HookDispatch& operator=(const HookDispatch&) = delete;

  // The receivers for MainHooks; this must outlive the hooks.
  HookCalls Calls() { return {&KeyCall, &MouseCall, this}; }

  // Messages 0x466 and 0x468 on the main window's thread.
  LRESULT OnKeyMessage(WPARAM wParam, LPARAM lParam);
  LRESULT OnMouseMessage(WPARAM wParam, LPARAM lParam);

  // User-interface thread; none of them waits for a key being handled.
  void SetOptions(DispatchOptions options) { dispatcher_.SetOptions(std::move(options)); }
  void Rebuild(const ActionTree& tree) { dispatcher_.Rebuild(tree); }
  void Clear() { dispatcher_.Clear(); }
  // These wait for a key being handled, which is never long.
  void ResyncKeys();
  // The handler's text of the last key (Settings().LastKeyText), copied.
  std::string LastKeyText();

  Win32DispatchHost& Host() { return host_; }

 private:
  static LRESULT WINAPI KeyCall(void* self, WPARAM wParam, LPARAM lParam);
  static LRESULT WINAPI MouseCall(void* self, WPARAM wParam, LPARAM lParam);
  // Runs `handle` under the lock; on the window's thread (`windowThread`) the keys it sends go
  // out once the lock is released.
  template <typename Handle>
  LRESULT Locked(bool windowThread, Handle handle);

  HookWatch* watch_;
  CRITICAL_SECTION lock_;  // recursive: keys sent by the handler may come back into it
  Win32DispatchHost host_;
  HotKeyDispatcher dispatcher_;
};

}  // namespace tavion
