#pragma once
// The decisions of the keyboard hook's health check, run on the user-interface thread. Windows
// drops a low-level hook without a word when it answers too slowly too often, and other software
// can cut the chain of hooks; the check notices input that the hook did not see, confirms with a
// probe, and installs the hook again. A chain of one-shot timers runs while the user is active
// and stops at the first check that finds no input: an idle user costs no wake-up. Portable: the
// clock and the system's answers come in, the steps to take go out.

#include <cstdint>

namespace tavion {

struct HookHealthTimes {
  uint32_t checkMs = 3000;       // between two checks while the user is active
  uint32_t probeBoundMs = 1000;  // how long a probe may take to reach the hook
  uint32_t probeGapMs = 10000;   // the least time between two probes
};

// What the system says at the moment of a call.
struct HookHealthView {
  uint32_t now = 0;         // tick count, ms
  uint32_t lastInput = 0;   // tick of the system's last input event, whoever saw it
  uint32_t hookEvents = 0;  // events the hook has seen so far (HookWatch::EventsSeen)
  bool probeSeen = false;   // the hook saw the last probe
};

// What the caller does next, in this order.
struct HookHealthStep {
  bool reinstall = false;  // the hook is gone: install it again
  bool notice = false;     // and tell the user (at most once per run)
  bool probe = false;      // inject the probe now
  uint32_t timerMs = 0;    // arm the one-shot timer for this long; 0 arms none
  bool operator==(const HookHealthStep&) const = default;
};

class HookHealth {
 public:
  explicit HookHealth(HookHealthTimes times = {}) : times_(times) {}

  // A sign that the user is active: starts the checks when they were stopped. While they run,
  // nothing to do (the timer already armed stays).
  HookHealthStep OnActivity(const HookHealthView& view);
  // The one-shot timer fired.
  HookHealthStep OnTimer(const HookHealthView& view);
  // The probe the last step asked for could not be injected: its verdict would prove nothing,
  // so the armed timer makes an ordinary check instead.
  void ProbeFailed();
  // Whether a timer is armed: false once a check found the user idle.
  bool Running() const { return state_ != State::kStopped; }

 private:
  enum class State { kStopped, kChecking, kProbing };
  // What later checks compare with.
  void TakeBaseline(const HookHealthView& view);

  HookHealthTimes times_;
  State state_ = State::kStopped;
  uint32_t baselineInput_ = 0;
  uint32_t baselineEvents_ = 0;
  bool probed_ = false;  // a probe went out in this run
  uint32_t lastProbe_ = 0;
  bool told_ = false;
};

}  // namespace tavion
