#pragma once
// The keyboard hook's health check on Windows: HookWatch on the hook's side, HookHealth's timer
// chain on the user-interface thread, the probe injected with SendInput. Besides the hook's own
// wake-up, whatever the owner reports (a change of the foreground window, a session unlocked)
// starts the chain, so a hook lost while the user was away is found when they come back.

#include <windows.h>

#include <atomic>
#include <functional>

#include "base/handles_win.h"
#include "pipeline/hook_health.h"
#include "pipeline/hook_watch.h"

namespace tavion {

class HookHealthMonitor {
 public:
  struct Actions {
    // Installs the hook again; returns whether it is in place.
    std::function<bool()> reinstall;
    // Tells the user that the hook was lost, once per run; `reinstalled` as reinstall answered.
    std::function<void(bool reinstalled)> notify;
  };

  HookHealthMonitor();
  ~HookHealthMonitor() { Stop(); }
  HookHealthMonitor(const HookHealthMonitor&) = delete;
  HookHealthMonitor& operator=(const HookHealthMonitor&) = delete;

  // Starts watching, with a first check as if the user had just been active. Call on the
  // user-interface thread once the hook is in place; false when its window cannot be made.
  bool Start(Actions actions, HookHealthTimes times = {});
  // Stops watching: no timer, no probe, no reinstall after it returns. Safe to call twice.
  void Stop();

  // The hook's side, for the receiver of the keyboard hook's events.
  HookWatch& Watch() { return watch_; }
  // The same for a key event message (0x466): true for the probe, which the receiver swallows.
  // HID keys of the raw-input layer (lParam 666) are no hook events.
  bool OnKeyMessage(LPARAM lParam);
  // A sign of the user that did not come through the hook (another program in front, a session
  // unlocked).
  void OnActivity();

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  static bool Wake(void* context);
  HookHealthView View() const;
  void Apply(const HookHealthStep& step);

  HookWatch watch_;
  HookHealth health_;
  Actions actions_;
  UniqueHandle<NullHandleTraits<HWND, &DestroyWindow>> window_;
  std::atomic<HWND> wakeTarget_{nullptr};  // read by the hook's thread
};

}  // namespace tavion
