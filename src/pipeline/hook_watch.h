#pragma once
// The keyboard hook's side of the health check: it counts the events the hook sees, recognises the
// probe the check injects, and wakes the check when the user becomes active again. Called for
// every key event on the hook's thread, so it takes no lock and makes no system call but the
// wake-up, at most once per idle spell. Portable.

#include <atomic>
#include <cstdint>

#include "keys/hook_messages.h"

namespace tavion {

// The probe: a key-up of an unassigned key carrying our own-input mark. Nothing reacts to it, and
// the hook swallows it, so no program ever sees it.
inline constexpr uint32_t kHookProbeKey = 0xE8;

class HookWatch {
 public:
  // Asks the user-interface thread to start the check; false asks to be called again at the next
  // event (the request could not go out).
  using WakeFn = bool (*)(void* context);

  HookWatch(WakeFn wake, void* context) : wake_(wake), context_(context) {}
  HookWatch(const HookWatch&) = delete;
  HookWatch& operator=(const HookWatch&) = delete;

  // Hook thread, first thing for every keyboard event. Returns true for the probe, which the
  // caller swallows without handing it on.
  bool OnKeyboardEvent(const KeyEventRecord& event);

  // User-interface thread.
  // The number of events seen so far: a change proves the hook alive.
  uint32_t EventsSeen() const { return eventsSeen_.load(std::memory_order_relaxed); }
  // Forgets the last probe; call before injecting a new one.
  void ExpectProbe() { probeSeen_.store(false, std::memory_order_relaxed); }
  bool ProbeSeen() const { return probeSeen_.load(std::memory_order_relaxed); }
  // Whether the check is running: while it is, events wake nobody; once it stops, the next event
  // wakes it.
  void SetCheckRunning(bool running) { awake_.store(running, std::memory_order_relaxed); }

 private:
  WakeFn wake_;
  void* context_;
  std::atomic<uint32_t> eventsSeen_{0};  // written by the hook's thread alone
  std::atomic<bool> probeSeen_{false};
  // Until the check says it runs or stops, there is nobody to wake.
  std::atomic<bool> awake_{true};
};

}  // namespace tavion
