#include "keys/pressed_keys.h"

#include <gtest/gtest.h>

#include <bitset>
#include <vector>

namespace tavion {
namespace {

// Keys held in the synchronous and in the asynchronous state, set apart so that a routine that
// reads the wrong one fails.
class FakeKeyState final : public KeyState {
 public:
  FakeKeyState& Sync(const std::vector<int>& keys) {
    for (int key : keys) sync_.set(key);
    return *this;
  }
  FakeKeyState& Async(const std::vector<int>& keys) {
    for (int key : keys) async_.set(key);
    return *this;
  }
  bool IsDown(uint8_t keyCode, bool asynchronous) const override {
    return asynchronous ? async_.test(keyCode) : sync_.test(keyCode);
  }

 private:
  std::bitset<256> sync_, async_;
};

TEST(GetModifierState, EitherSideGivesTheBitFromTheSynchronousState) {
  struct Case {
    std::vector<int> keys;
    uint8_t expected;
  };
  const Case cases[] = {
      {{}, 0},
      {{164}, 1},
      {{165}, 1},
      {{162}, 2},
      {{163}, 2},
      {{160}, 4},
      {{161}, 4},
      {{91}, 8},
      {{92}, 8},
      {{162, 164, 65}, 3},
      {{91, 161, 163, 165}, 15},
      {{16, 17, 18}, 0},  // the generic codes do not count
  };
  for (const Case& c : cases) {
    FakeKeyState state;
    state.Sync(c.keys);
    EXPECT_EQ(c.expected, GetModifierState(state));
  }
  FakeKeyState asyncOnly;
  asyncOnly.Async({162, 164});
  EXPECT_EQ(0, GetModifierState(asyncOnly));
}

TEST(NoModifiersPressed, LeftAndRightSidesAreSeparate) {
  for (int key : {91, 160, 162, 164}) {
    FakeKeyState state;
    state.Sync({key});
    EXPECT_FALSE(NoLeftModifiersPressed(state)) << key;
    EXPECT_TRUE(NoRightModifiersPressed(state)) << key;
  }
  for (int key : {92, 161, 163, 165}) {
    FakeKeyState state;
    state.Sync({key});
    EXPECT_TRUE(NoLeftModifiersPressed(state)) << key;
    EXPECT_FALSE(NoRightModifiersPressed(state)) << key;
  }
  FakeKeyState other;
  other.Sync({16, 17, 18, 65}).Async({91, 92});
  EXPECT_TRUE(NoLeftModifiersPressed(other));
  EXPECT_TRUE(NoRightModifiersPressed(other));
}

TEST(PressedKeysText, ListsTheDownKeysInAscendingOrder) {
  FakeKeyState none;
  EXPECT_EQ("[]", PressedKeysText(none));
  FakeKeyState some;
  some.Async({255, 0, 65, 17});
  EXPECT_EQ("[ 0 17 65 255]", PressedKeysText(some));
}

TEST(ReleaseModifiers, KeyUpsInFixedOrderWithTheRightFlags) {
  FakeKeyState all;
  all.Async({91, 92, 160, 161, 162, 163, 164, 165});
  const std::vector<KeyInput> expected = {
      {164, 0, 2}, {165, 0, 3}, {162, 0, 2}, {163, 0, 3},
      {160, 0, 2}, {161, 0, 3}, {91, 0, 3},  {92, 0, 3},
  };
  EXPECT_EQ(expected, ReleaseModifiersEvents(all));

  FakeKeyState rightAlt;
  rightAlt.Async({165, 65});
  EXPECT_EQ((std::vector<KeyInput>{{165, 0, 3}}), ReleaseModifiersEvents(rightAlt));

  FakeKeyState none;
  none.Sync({164});
  EXPECT_TRUE(ReleaseModifiersEvents(none).empty());
}

TEST(PressModifiers, KeyDownsForTheSlotsSet) {
  const ModifierSet all = {true, true, true, true, true, true, true, true};
  const std::vector<KeyInput> expected = {
      {164, 0, 0}, {165, 0, 1}, {162, 0, 0}, {163, 0, 1},
      {160, 0, 0}, {161, 0, 1}, {91, 0, 1},  {92, 0, 1},
  };
  EXPECT_EQ(expected, PressModifiersEvents(all));

  ModifierSet some{};
  some[kRightCtrl] = true;
  some[kLeftWin] = true;
  EXPECT_EQ((std::vector<KeyInput>{{163, 0, 1}, {91, 0, 1}}), PressModifiersEvents(some));
  EXPECT_TRUE(PressModifiersEvents(ModifierSet{}).empty());
}

TEST(PressModifiers, UndoesReleaseModifiers) {
  // What is released before typing is pressed again afterwards, with matching extended flags.
  FakeKeyState held;
  held.Async({165, 160, 92});
  ModifierSet set{};
  set[kRightAlt] = set[kLeftShift] = set[kRightWin] = true;
  const std::vector<KeyInput> released = ReleaseModifiersEvents(held);
  const std::vector<KeyInput> pressed = PressModifiersEvents(set);
  ASSERT_EQ(released.size(), pressed.size());
  for (std::size_t i = 0; i < pressed.size(); ++i) {
    EXPECT_EQ(released[i].keyCode, pressed[i].keyCode);
    EXPECT_EQ(released[i].flags, pressed[i].flags | kInputKeyUp);
  }
}

TEST(DummyKey, DownThenUpOfKeySeven) {
  EXPECT_EQ((std::vector<KeyInput>{{7, 0, 0}, {7, 0, 2}}), DummyKeyEvents());
}

TEST(ResetModifierKey, ReleasesOnlyWhenTheGenericKeyIsStuck) {
  struct Case {
    const char* what;
    std::vector<int> async;
    std::vector<int> sync;
    bool expectRelease;
  };
  const Case cases[] = {
      {"generic still down", {17}, {}, true},
      {"other side down", {17, 163}, {}, false},
      {"generic up", {}, {}, false},
      {"generic down only synchronously", {}, {17}, false},
      {"other side down only synchronously", {17}, {163}, true},
  };
  for (const Case& c : cases) {
    FakeKeyState state;
    state.Async(c.async).Sync(c.sync);
    const std::optional<KeyInput> event = ResetModifierKeyEvent(state, 162, 163, 17);
    ASSERT_EQ(c.expectRelease, event.has_value()) << c.what;
    if (event) {
      EXPECT_EQ((KeyInput{162, 0, 2}), *event) << c.what;
    }
  }
}

}  // namespace
}  // namespace tavion
