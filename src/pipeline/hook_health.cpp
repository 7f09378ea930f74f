#include "pipeline/hook_health.h"

namespace tavion {

void HookHealth::TakeBaseline(const HookHealthView& view) {
  baselineInput_ = view.lastInput;
  baselineEvents_ = view.hookEvents;
}

HookHealthStep HookHealth::OnActivity(const HookHealthView& view) {
  if (state_ != State::kStopped) return {};
  TakeBaseline(view);
  state_ = State::kChecking;
  return {.timerMs = times_.checkMs};
}

void HookHealth::ProbeFailed() {
  if (state_ == State::kProbing) state_ = State::kChecking;
}

HookHealthStep HookHealth::OnTimer(const HookHealthView& view) {
  HookHealthStep step;
  switch (state_) {
    case State::kStopped:
      return step;
    case State::kProbing:
      if (!view.probeSeen) {
        step.reinstall = true;
        step.notice = !told_;
        told_ = true;
      }
      // After the probe: its own input is no sign of the user.
      TakeBaseline(view);
      state_ = State::kChecking;
      step.timerMs = times_.checkMs;
      return step;
    case State::kChecking:
      break;
  }
  if (view.lastInput == baselineInput_) {
    state_ = State::kStopped;
    return step;
  }
  step.timerMs = times_.checkMs;
  if (view.hookEvents != baselineEvents_) {
    TakeBaseline(view);
    return step;
  }
  // Input the hook did not see: a mouse move, or a hook that is gone. Too soon after the last
  // probe, the baseline stays, so the next check still sees that input.
  if (probed_ && view.now - lastProbe_ < times_.probeGapMs) return step;
  probed_ = true;
  lastProbe_ = view.now;
  state_ = State::kProbing;
  step.probe = true;
  step.timerMs = times_.probeBoundMs;
  return step;
}

}  // namespace tavion
