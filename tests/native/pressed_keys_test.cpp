#include "keys/pressed_keys.h"

#include <gtest/gtest.h>

#include <vector>

#include "keys/hook_messages.h"
#include "keys/hotkey.h"
#include "keys/tracked_key_state.h"
#include "native/support/fakes.h"

namespace tavion {
namespace {

using test::FakeKeyState;

TEST(ModifierState, EitherSideGivesTheBitTheSidesAreApartAndOnlyTheSynchronousStateCounts) {
  // Key 0 holds nothing; the generic codes 16, 17 and 18 do not count. Side: which side is down.
  struct Case {
    uint8_t key, mask;
    char side;
  };
  const Case cases[] = {{0, 0, '-'},           {164, kModAlt, 'L'},  {165, kModAlt, 'R'},
                        {162, kModCtrl, 'L'},  {163, kModCtrl, 'R'}, {160, kModShift, 'L'},
                        {161, kModShift, 'R'}, {91, kModWin, 'L'},   {92, kModWin, 'R'},
                        {16, 0, '-'},          {17, 0, '-'},         {18, 0, '-'}};
  for (const auto& c : cases) {
    SCOPED_TRACE(int{c.key});
    FakeKeyState sync, async;
    sync.sync.set(c.key), async.async.set(c.key);
    EXPECT_EQ(c.mask, GetModifierState(sync));
    EXPECT_EQ(c.side != 'L', NoLeftModifiersPressed(sync));
    EXPECT_EQ(c.side != 'R', NoRightModifiersPressed(sync));
    EXPECT_EQ(0, GetModifierState(async));
    EXPECT_TRUE(NoLeftModifiersPressed(async) && NoRightModifiersPressed(async));
  }
  FakeKeyState some;
  some.async.set(255).set(0).set(17);
  EXPECT_EQ("[ 0 17 255]", PressedKeysText(some));
}

TEST(ModifierEvents, ReleasesOfHeldModifiersAndPressesOfSlotsInSlotOrderWithTheirFlags) {
  FakeKeyState all({91, 92, 160, 161, 162, 163, 164, 165});
  all.sync.reset();
  const std::vector<KeyInput> releases = {{164, 0, 2}, {165, 0, 3}, {162, 0, 2}, {163, 0, 3},
                                          {160, 0, 2}, {161, 0, 3}, {91, 0, 3},  {92, 0, 3}};
  EXPECT_EQ(releases, ReleaseModifiersEvents(all));
  all.async.reset();
  EXPECT_TRUE(ReleaseModifiersEvents(all).empty()) << "the synchronous state does not count";

  ModifierSet set{};
  set.fill(true);
  const std::vector<KeyInput> presses = {{164, 0, 0}, {165, 0, 1}, {162, 0, 0}, {163, 0, 1},
                                         {160, 0, 0}, {161, 0, 1}, {91, 0, 1},  {92, 0, 1}};
  EXPECT_EQ(presses, PressModifiersEvents(set));
  set.fill(false);
  set[kRightCtrl] = set[kLeftWin] = true;
  EXPECT_EQ((std::vector<KeyInput>{{163, 0, 1}, {91, 0, 1}}), PressModifiersEvents(set));
}

TEST(ResetModifierKey, ReleasesOnlyWhenTheGenericKeyIsStuckInTheAsynchronousState) {
  const struct {
    const char* what;
    std::vector<uint8_t> async, sync;
    bool release;
  } cases[] = {
      {"generic still down", {17}, {163}, true},
      {"other side down", {17, 163}, {}, false},
      {"generic down only synchronously", {}, {17}, false},
  };
  for (const auto& c : cases) {
    FakeKeyState state;
    for (uint8_t key : c.async) state.async.set(key);
    for (uint8_t key : c.sync) state.sync.set(key);
    EXPECT_EQ(c.release ? std::optional<KeyInput>(KeyInput{162, 0, kInputKeyUp}) : std::nullopt,
              ResetModifierKeyEvent(state, 162, 163, 17))
        << c.what;
  }
}

TEST(TrackedKeyState, FollowsTheEventsItSeesWithAGenericKeyForEitherSide) {
  FakeKeyState physical;
  TrackedKeyState keys(physical);
  keys.Observe(kWmKeyDown, 162, false);
  keys.Observe(kWmSysKeyDown, 164, false);
  keys.Observe(kWmLButtonDown, 160, false);  // not a key message
  keys.Observe(kWmKeyDown, 300, false);
  EXPECT_EQ(kModCtrl | kModAlt, GetModifierState(keys));
  keys.Observe(kWmSysKeyUp, 164, false);
  EXPECT_EQ(kModCtrl, GetModifierState(keys));
  keys.Observe(kWmKeyUp, 162, false);
  EXPECT_EQ(0, GetModifierState(keys));

  keys.Observe(kWmKeyDown, 161, false);
  EXPECT_TRUE(keys.IsDown(16, false)) << "the right one";
  keys.Observe(kWmKeyUp, 161, false);
  EXPECT_FALSE(keys.IsDown(16, false));
  keys.Observe(kWmKeyDown, 17, false);  // a generic event counts as the left key
  EXPECT_TRUE(keys.IsDown(162, false) && keys.IsDown(17, false));
  EXPECT_FALSE(keys.IsDown(163, false));
  keys.Observe(kWmKeyUp, 17, false);
  EXPECT_FALSE(keys.IsDown(17, false));
}

TEST(TrackedKeyState, SeedTakesModifiersAlreadyDownAndAsynchronousQueriesStayPhysical) {
  FakeKeyState physical;
  physical.async.set(92).set(65);
  TrackedKeyState keys(physical);
  keys.Observe(kWmKeyDown, 162, /*checkable=*/false);
  keys.Observe(kWmKeyDown, 66, /*checkable=*/true);
  EXPECT_FALSE(keys.IsDown(92, false));
  keys.Seed();
  EXPECT_TRUE(keys.IsDown(92, false));
  EXPECT_FALSE(keys.IsDown(65, false)) << "only modifiers are seeded";
  EXPECT_TRUE(keys.IsDown(65, true));
  EXPECT_FALSE(keys.IsDown(162, false)) << "everything seen before is forgotten";
  EXPECT_FALSE(keys.IsDown(66, false));
}

}  // namespace
}  // namespace tavion
