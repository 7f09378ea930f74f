// The keyboard hook's health check: the decisions of the timer chain, and the hook's side.
#include <gtest/gtest.h>

#include <vector>

#include "pipeline/hook_health.h"
#include "pipeline/hook_watch.h"

namespace tavion {
namespace {

enum class Call { kActivity, kTimer, kProbeFailed };
struct Step {
  Call call;
  HookHealthView view;
  HookHealthStep expected;
};

HookHealthView At(uint32_t now, uint32_t lastInput, uint32_t hookEvents, bool probeSeen = false) {
  return {now, lastInput, hookEvents, probeSeen};
}
constexpr HookHealthStep Check{.timerMs = 3000};
constexpr HookHealthStep Probe{.probe = true, .timerMs = 400};

TEST(HookHealthTest, ChecksOnlyWhileTheUserIsActiveAndProbesOnlyInputTheHookMissed) {
  const struct {
    const char* name;
    std::vector<Step> steps;
    bool runningAfter;
  } cases[] = {
      {"idle: one check, then nothing",
       {{Call::kActivity, At(0, 100, 5), Check}, {Call::kTimer, At(3000, 100, 5), {}}},
       false},
      {"input the hook saw: no probe",
       {{Call::kActivity, At(0, 100, 5), Check},
        {Call::kActivity, At(1000, 900, 6), {}},
        {Call::kTimer, At(3000, 2500, 9), Check}},
       true},
      {"input the hook missed, probe seen: its own input is no activity",
       {{Call::kActivity, At(0, 100, 5), Check},
        {Call::kTimer, At(3000, 2500, 5), Probe},
        {Call::kTimer, At(3400, 3001, 6, true), Check},
        {Call::kTimer, At(6400, 3001, 6), {}}},
       false},
      {"probe not seen twice: two reinstalls, one notice; probes kept 10 s apart",
       {{Call::kActivity, At(0, 100, 5), Check},
        {Call::kTimer, At(3000, 2500, 5), Probe},
        {Call::kTimer, At(3400, 3001, 5), {.reinstall = true, .notice = true, .timerMs = 3000}},
        {Call::kTimer, At(6400, 6000, 5), Check},
        {Call::kTimer, At(9400, 6000, 5), Check},
        {Call::kTimer, At(12400, 6000, 5), Check},
        {Call::kTimer, At(15400, 6000, 5), Probe},
        {Call::kTimer, At(15800, 15401, 5), {.reinstall = true, .timerMs = 3000}}},
       true},
      {"a probe that could not go out proves nothing",
       {{Call::kActivity, At(0, 100, 5), Check},
        {Call::kTimer, At(3000, 2500, 5), Probe},
        {Call::kProbeFailed, {}, {}},
        {Call::kTimer, At(3400, 2500, 5), Check}},
       true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    HookHealth health;
    for (size_t i = 0; i < c.steps.size(); ++i) {
      const Step& s = c.steps[i];
      HookHealthStep got;
      if (s.call == Call::kActivity) got = health.OnActivity(s.view);
      if (s.call == Call::kTimer) got = health.OnTimer(s.view);
      if (s.call == Call::kProbeFailed) health.ProbeFailed();
      EXPECT_EQ(s.expected, got) << "step " << i;
    }
    EXPECT_EQ(c.runningAfter, health.Running());
  }
}

TEST(HookWatchTest, SwallowsOnlyTheProbeAndWakesTheCheckOncePerIdleSpell) {
  int wakes = 0;
  bool wakeGoesOut = true;
  struct Context {
    int* wakes;
    bool* goesOut;
  } context{&wakes, &wakeGoesOut};
  HookWatch watch(
      [](void* p) {
        auto* c = static_cast<Context*>(p);
        ++*c->wakes;
        return *c->goesOut;
      },
      &context);
  const struct {
    KeyEventRecord event;
    bool probe;
  } events[] = {
      {{.vkCode = kHookProbeKey, .flags = kKeyFlagReleased, .extraInfo = OwnInputMark}, true},
      {{.vkCode = kHookProbeKey, .extraInfo = OwnInputMark}, false},
      {{.vkCode = kHookProbeKey, .flags = kKeyFlagReleased}, false},
      {{.vkCode = 'A', .flags = kKeyFlagReleased, .extraInfo = OwnInputMark}, false},
  };
  for (const auto& e : events) {
    watch.ExpectProbe();
    EXPECT_EQ(e.probe, watch.OnKeyboardEvent(e.event)) << e.event.vkCode << " " << e.event.flags;
    EXPECT_EQ(e.probe, watch.ProbeSeen());
  }
  EXPECT_EQ(4u, watch.EventsSeen());
  EXPECT_EQ(0, wakes) << "nothing to wake before the check runs";

  const KeyEventRecord key{.vkCode = 'A'};
  watch.SetCheckRunning(false);
  wakeGoesOut = false;
  watch.OnKeyboardEvent(key);
  wakeGoesOut = true;
  watch.OnKeyboardEvent(key);
  watch.OnKeyboardEvent(key);
  EXPECT_EQ(2, wakes) << "a wake that did not go out is asked again, once";
  watch.SetCheckRunning(false);
  watch.OnKeyboardEvent(key);
  EXPECT_EQ(3, wakes);
}

}  // namespace
}  // namespace tavion
