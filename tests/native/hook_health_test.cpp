// The keyboard hook's health check: the decisions of the timer chain, and the hook's side.
#include <gtest/gtest.h>

#include <vector>

#include "pipeline/hook_health.h"
#include "pipeline/hook_watch.h"

namespace tavion {
namespace {

// Calls in order ('a' activity, 't' the timer fired), each with the view then (now, last input,
// hook events, probe seen) and the step expected.
TEST(HookHealthTest, ChecksOnlyWhileTheUserIsActiveProbesOnlyInputTheHookMissedAndTellsOnce) {
  constexpr HookHealthStep kCheck{.timerMs = 3000}, kProbe{.probe = true, .timerMs = 1000};
  const struct {
    char call;
    HookHealthView view;
    HookHealthStep expected;
  } steps[] = {
      // Alive: no probe for input the hook saw, a probe seen, and an idle user stops the checks.
      {'a', {0, 100, 5}, kCheck},
      {'a', {900, 900, 6}, {}},
      {'t', {3000, 2500, 9}, kCheck},
      {'t', {6000, 5000, 9}, kProbe},
      {'t', {7000, 6001, 10, true}, kCheck},
      {'t', {10000, 6001, 10}, {}},
      // Lost twice: two reinstalls, one notice, probes 10 s apart.
      {'a', {20000, 20100, 10}, kCheck},
      {'t', {23000, 22500, 10}, kProbe},
      {'t', {24000, 23001, 10}, {.reinstall = true, .notice = true, .timerMs = 3000}},
      {'t', {27000, 26000, 10}, kCheck},
      {'t', {32999, 26000, 10}, kCheck},
      {'t', {33000, 26000, 10}, kProbe},
      {'t', {34000, 33001, 10}, {.reinstall = true, .timerMs = 3000}},
  };
  HookHealth health;
  for (size_t i = 0; i < std::size(steps); ++i) {
    const auto& s = steps[i];
    EXPECT_EQ(s.expected, s.call == 'a' ? health.OnActivity(s.view) : health.OnTimer(s.view))
        << "step " << i;
  }
}

TEST(HookWatchTest, SwallowsOnlyTheProbeAndWakesTheCheckOncePerIdleSpell) {
  int wakes = 0;  // the first one fails, which asks again at the next event
  HookWatch watch([](void* count) { return ++*static_cast<int*>(count) > 1; }, &wakes);
  const KeyEventRecord probe{
      .vkCode = kHookProbeKey, .flags = kKeyFlagReleased, .extraInfo = OwnInputMark},
      down{.vkCode = kHookProbeKey, .extraInfo = OwnInputMark},
      unmarked{.vkCode = kHookProbeKey, .flags = kKeyFlagReleased};
  EXPECT_EQ((std::vector<bool>{false, false, true}),
            (std::vector<bool>{watch.OnKeyboardEvent(down), watch.OnKeyboardEvent(unmarked),
                               watch.OnKeyboardEvent(probe)}));
  EXPECT_EQ(3u, watch.EventsSeen());
  EXPECT_EQ(0, wakes) << "nothing to wake before the check runs";

  watch.SetCheckRunning(false);
  for (int i = 0; i < 3; ++i) watch.OnKeyboardEvent(down);
  watch.SetCheckRunning(false);
  watch.OnKeyboardEvent(down);
  EXPECT_EQ(3, wakes) << "the failed wake asked again once, then once per idle spell";
}

}  // namespace
}  // namespace tavion
