#include "keys/tracked_key_state.h"

#include <gtest/gtest.h>

#include <set>

#include "keys/hotkey.h"
#include "keys/hook_messages.h"

namespace tavion {
namespace {

class FakePhysical final : public KeyState {
 public:
  bool IsDown(uint8_t keyCode, bool asynchronous) const override {
    return asynchronous && down.count(keyCode) > 0;
  }
  std::set<uint8_t> down;
};

TEST(TrackedKeyStateTest, FollowsTheEventsItSees) {
  FakePhysical physical;
  TrackedKeyState keys(physical);
  keys.Observe(kWmKeyDown, 162, false);
  keys.Observe(kWmSysKeyDown, 164, false);
  EXPECT_EQ(kModCtrl | kModAlt, GetModifierState(keys));
  keys.Observe(kWmSysKeyUp, 164, false);
  EXPECT_EQ(kModCtrl, GetModifierState(keys));
  keys.Observe(kWmKeyUp, 162, false);
  EXPECT_EQ(0, GetModifierState(keys));
}

TEST(TrackedKeyStateTest, GenericModifiersReadDownWhileEitherSideIs) {
  FakePhysical physical;
  TrackedKeyState keys(physical);
  keys.Observe(kWmKeyDown, 161, false);
  EXPECT_TRUE(keys.IsDown(16, false));
  keys.Observe(kWmKeyDown, 160, false);
  keys.Observe(kWmKeyUp, 161, false);
  EXPECT_TRUE(keys.IsDown(16, false)) << "the left one is still down";
  keys.Observe(kWmKeyUp, 160, false);
  EXPECT_FALSE(keys.IsDown(16, false));
}

TEST(TrackedKeyStateTest, AGenericEventCountsAsTheLeftKey) {
  FakePhysical physical;
  TrackedKeyState keys(physical);
  keys.Observe(kWmKeyDown, 17, false);
  EXPECT_TRUE(keys.IsDown(162, false));
  EXPECT_FALSE(keys.IsDown(163, false));
  keys.Observe(kWmKeyUp, 17, false);
  EXPECT_FALSE(keys.IsDown(17, false));
}

TEST(TrackedKeyStateTest, SeedTakesModifiersAlreadyDownAndAsynchronousQueriesStayPhysical) {
  FakePhysical physical;
  physical.down = {92, 65};
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

TEST(TrackedKeyStateTest, OtherMessagesAndCodesChangeNothing) {
  FakePhysical physical;
  TrackedKeyState keys(physical);
  keys.Observe(kWmLButtonDown, 65, false);
  keys.Observe(kWmKeyDown, 300, false);
  for (int k = 0; k < 256; ++k) EXPECT_FALSE(keys.IsDown(static_cast<uint8_t>(k), false)) << k;
}

}  // namespace
}  // namespace tavion
