// The keyboard hook's health check: the decisions of the timer chain, and the hook's side.
#include <gtest/gtest.h>

#include <vector>

#include "pipeline/hook_health.h"
#include "pipeline/hook_watch.h"

namespace tavion {
namespace {

// A call ('a' activity, 't' the timer fired), the view then
// (now, last input, hook events, probe seen), and the step expected.
struct Step {
  char call;
  HookHealthView view;
  HookHealthStep expected;
};
constexpr HookHealthStep kCheck{.timerMs = 3000};
constexpr HookHealthStep kProbe{.probe = true, .timerMs = 1000};

TEST(HookHealthTest, ChecksOnlyWhileTheUserIsActiveAndProbesOnlyInputTheHookMissed) {
  const struct {
    const char* name;
    std::vector<Step> steps;
    bool runningAfter;
  } cases[] = {
      {"hook alive: no probe for what it saw, a probe seen, and idle stops",
       {{'a', {0, 100, 5}, kCheck},
        {'a', {900, 900, 6}, {}},
        {'t', {3000, 2500, 9}, kCheck},
        {'t', {6000, 5000, 9}, kProbe},
        {'t', {7000, 6001, 10, true}, kCheck},
        {'t', {10000, 6001, 10}, {}}},
       false},
      {"hook lost twice: two reinstalls, one notice, probes 10 s apart",
       {{'a', {0, 100, 5}, kCheck},
        {'t', {3000, 2500, 5}, kProbe},
        {'t', {4000, 3001, 5}, {.reinstall = true, .notice = true, .timerMs = 3000}},
        {'t', {7000, 6000, 5}, kCheck},
        {'t', {12999, 6000, 5}, kCheck},
        {'t', {13000, 6000, 5}, kProbe},
        {'t', {14000, 13001, 5}, {.reinstall = true, .timerMs = 3000}}},
       true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    HookHealth health;
    for (size_t i = 0; i < c.steps.size(); ++i) {
      const Step& s = c.steps[i];
      const HookHealthStep got = s.call == 'a' ? health.OnActivity(s.view) : health.OnTimer(s.view);
      EXPECT_EQ(s.expected, got) << "step " << i;
    }
    EXPECT_EQ(c.runningAfter, health.Running());
  }
}

TEST(HookWatchTest, SwallowsOnlyTheProbeAndWakesTheCheckOncePerIdleSpell) {
  std::vector<bool> wakes;  // what each wake answered: false asks again at the next event
  const auto wake = [](void* answers) {
    auto& w = *static_cast<std::vector<bool>*>(answers);
    w.push_back(!w.empty());  // the first wake fails
    return w.back() == true;
  };
  HookWatch watch(wake, &wakes);
  const KeyEventRecord probe{
      .vkCode = kHookProbeKey, .flags = kKeyFlagReleased, .extraInfo = OwnInputMark};
  KeyEventRecord down = probe, unmarked = probe;
  down.flags = 0;
  unmarked.extraInfo = 0;
  EXPECT_EQ((std::vector<bool>{false, false, true}),
            (std::vector<bool>{watch.OnKeyboardEvent(down), watch.OnKeyboardEvent(unmarked),
                               watch.OnKeyboardEvent(probe)}));
  EXPECT_TRUE(watch.ProbeSeen());
  EXPECT_EQ(3u, watch.EventsSeen());
  EXPECT_TRUE(wakes.empty()) << "nothing to wake before the check runs";

  watch.SetCheckRunning(false);
  for (int i = 0; i < 3; ++i) watch.OnKeyboardEvent(down);
  watch.SetCheckRunning(false);
  watch.OnKeyboardEvent(down);
  EXPECT_EQ((std::vector<bool>{false, true, true}), wakes) << "the failed wake asked again once";
}

}  // namespace
}  // namespace tavion
