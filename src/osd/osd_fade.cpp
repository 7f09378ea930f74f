#include "osd/osd_fade.h"

#include <algorithm>

namespace tavion {

OsdFade::OsdFade(int fromAlpha, int targetAlpha, bool animate, int showTimeMs, int64_t nowMs)
    : phase_(OsdPhase::kHold),
      alpha_(animate ? fromAlpha : targetAlpha),
      from_(fromAlpha),
      target_(targetAlpha),
      animate_(animate),
      showTimeMs_(showTimeMs),
      phaseStartMs_(nowMs) {
  if (animate && fromAlpha < targetAlpha) phase_ = OsdPhase::kFadeIn;
}

void OsdFade::StartFadeOut(int64_t nowMs) {
  if (!animate_ || alpha_ <= 0) {
    phase_ = OsdPhase::kDone;
    return;
  }
  phase_ = OsdPhase::kFadeOut;
  from_ = alpha_;
  lastMs_ = nowMs;
  countedMs_ = 0;
}

int OsdFade::Advance(int64_t nowMs, bool shiftHeld) {
  if (phase_ == OsdPhase::kFadeIn) {
    const int64_t steps = (nowMs - phaseStartMs_) / kOsdFadeStepMs;
    alpha_ = static_cast<int>(std::min<int64_t>(target_, from_ + 1 + steps));
    if (alpha_ >= target_) {
      phase_ = OsdPhase::kHold;
      phaseStartMs_ = nowMs;
    }
    return alpha_;
  }
  if (phase_ == OsdPhase::kHold) {
    if (!holdOver_ && nowMs - phaseStartMs_ < showTimeMs_) return alpha_;
    StartFadeOut(nowMs);
  }
  if (phase_ == OsdPhase::kFadeOut) {
    if (!shiftHeld) countedMs_ += nowMs - lastMs_;
    lastMs_ = nowMs;
    alpha_ = static_cast<int>(std::max<int64_t>(0, from_ - 1 - countedMs_ / kOsdFadeStepMs));
    if (alpha_ == 0) phase_ = OsdPhase::kDone;
  }
  return alpha_;
}

}  // namespace tavion
