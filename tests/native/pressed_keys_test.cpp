#include "keys/pressed_keys.h"

#include <gtest/gtest.h>

#include <tuple>
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
    FakeKeyState sync;
    sync.sync.set(c.key);
    EXPECT_EQ(std::make_tuple(c.mask, c.side != 'L', c.side != 'R'),
              std::make_tuple(GetModifierState(sync), NoLeftModifiersPressed(sync),
                              NoRightModifiersPressed(sync)))
        << int{c.key};
  }
  FakeKeyState async;
  async.async.set(255).set(0).set(17).set(160).set(163);
  EXPECT_EQ(0, GetModifierState(async));
  EXPECT_TRUE(NoLeftModifiersPressed(async) && NoRightModifiersPressed(async));
  EXPECT_EQ("[ 0 17 160 163 255]", PressedKeysText(async));
}

TEST(ResetModifierKey, ReleasesOnlyWhenTheGenericKeyIsStuckInTheAsynchronousState) {
  const std::optional<KeyInput> release = KeyInput{162, 0, kInputKeyUp};
  FakeKeyState state;
  state.async.set(17), state.sync.set(163);
  EXPECT_EQ(release, ResetModifierKeyEvent(state, 162, 163, 17)) << "generic still down";
  state.async.set(163);
  EXPECT_EQ(std::nullopt, ResetModifierKeyEvent(state, 162, 163, 17)) << "other side down";
  state.async.reset(), state.sync.set(17);
  EXPECT_EQ(std::nullopt, ResetModifierKeyEvent(state, 162, 163, 17)) << "generic only in sync";
}

TEST(TrackedKeyState, FollowsTheEventsItSeesWithAGenericKeyForEitherSideUntilSeeded) {
  FakeKeyState physical;
  physical.async.set(92).set(65);
  TrackedKeyState keys(physical);
  keys.Observe(kWmKeyDown, 162, false);
  keys.Observe(kWmSysKeyDown, 164, false);
  keys.Observe(kWmLButtonDown, 160, false);  // not a key message
  keys.Observe(kWmKeyDown, 300, false);
  keys.Observe(kWmKeyDown, 161, true);
  EXPECT_EQ(kModCtrl | kModAlt | kModShift, GetModifierState(keys));
  EXPECT_TRUE(keys.IsDown(16, false)) << "the right one";
  keys.Observe(kWmSysKeyUp, 164, false);
  keys.Observe(kWmKeyUp, 162, false);
  keys.Observe(kWmKeyUp, 161, false);
  EXPECT_EQ(0, GetModifierState(keys));
  keys.Observe(kWmKeyDown, 17, false);  // a generic event counts as the left key
  EXPECT_EQ((std::vector<bool>{true, true, false}),
            (std::vector<bool>{keys.IsDown(162, false), keys.IsDown(17, false),
                               keys.IsDown(163, false)}));
  keys.Seed();  // modifiers already down only; everything seen before is forgotten
  EXPECT_EQ((std::vector<bool>{true, false, false, true}),
            (std::vector<bool>{keys.IsDown(92, false), keys.IsDown(65, false),
                               keys.IsDown(162, false), keys.IsDown(65, true)}));
}

}  // namespace
}  // namespace tavion
