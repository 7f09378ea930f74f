#pragma once
// The notification's opacity over time: fade in to the chosen opacity, hold for the show time,
// fade out, done. Portable; the caller reads the clock and passes the time in.

#include <cstdint>

namespace tavion {

// One opacity step per this many ms.
inline constexpr int kOsdFadeStepMs = 3;

enum class OsdPhase : uint8_t { kFadeIn, kHold, kFadeOut, kDone };

class OsdFade {
 public:
  // Starts at `fromAlpha` (a replaced text keeps the opacity it had reached) at `nowMs`. Without
  // `animate` the target shows at once and stays until the end.
  OsdFade(int fromAlpha, int targetAlpha, bool animate, int showTimeMs, int64_t nowMs);

  // Advances to `nowMs` and returns the opacity to show. Every call while fading moves at least
  // one step, however little time passed; time with `shiftHeld` does not count when fading out.
  int Advance(int64_t nowMs, bool shiftHeld);
  // Ends the hold early (the window went away).
  void EndHold() { holdOver_ = true; }

  OsdPhase Phase() const { return phase_; }
  int Alpha() const { return alpha_; }

 private:
  void StartFadeOut(int64_t nowMs);

  OsdPhase phase_;
  int alpha_;
  int from_;
  int target_;
  bool animate_;
  int showTimeMs_;
  int64_t phaseStartMs_;
  int64_t lastMs_ = 0;
  int64_t countedMs_ = 0;
  bool holdOver_ = false;
};

}  // namespace tavion
