#include "macros/key_delays.h"

#include <gtest/gtest.h>

namespace tavion {
namespace {

TEST(MacroEventDelay, TheFixedDelayOrEachEventsOwnOrNoWaitAtAll) {
  EXPECT_EQ(std::nullopt, MacroEventDelay(0, 30));
  EXPECT_EQ(30u, MacroEventDelay(-1, 30));
  EXPECT_EQ(5u, MacroEventDelay(5, 30));
}

}  // namespace
}  // namespace tavion
