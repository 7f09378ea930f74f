#include "exec/window_actions.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace tavion {
namespace {

TEST(NextAlpha, StepsSetsAndStaysWithinTheBounds) {
  struct Case {
    uint8_t mode;
    int value;
    int current;
    int minimum;
    int maximum;
    int expected;
  };
  const Case cases[] = {
      {kAlphaLower, 0, 255, 50, 255, 235},  // an opaque window one step down
      {kAlphaLower, 0, 60, 50, 255, 50},    // the step stops at the minimum
      {kAlphaLower, 0, 50, 50, 255, 50},
      {kAlphaRaise, 0, 200, 10, 255, 220},
      {kAlphaRaise, 0, 250, 10, 255, 255},  // and at the maximum
      {kAlphaRaise, 0, 100, 10, 110, 110},
      {kAlphaSet, 300, 100, 10, 255, 255},
      {kAlphaSet, 5, 100, 10, 255, 10},
      {kAlphaSet, 128, 255, 10, 255, 128},
      {7, 99, 140, 10, 255, 140},          // an unknown mode keeps the alpha
      {7, 99, 5, 10, 255, 10},             // but still within the bounds
      {kAlphaSet, 300, 100, 0, 400, 255},  // bounds past a byte still give a byte
      {kAlphaLower, 0, 10, -50, 255, 0},
      {kAlphaSet, 128, 100, 200, 100, 100},  // crossed bounds: the maximum wins
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.expected, NextAlpha(c.mode, c.value, c.current, c.minimum, c.maximum))
        << "mode " << int{c.mode} << " value " << c.value << " current " << c.current;
  }
}

TEST(NextAlpha, RepeatedLoweringEndsAtTheMinimum) {
  int alpha = 255;
  std::vector<int> seen;
  for (int i = 0; i < 12; ++i) {
    alpha = NextAlpha(kAlphaLower, 0, alpha, 50, 255);
    seen.push_back(alpha);
  }
  const std::vector<int> expected = {235, 215, 195, 175, 155, 135, 115, 95, 75, 55, 50, 50};
  EXPECT_EQ(expected, seen);
}

class TransparentWindowsTest : public testing::Test {
 protected:
  void TearDown() override { TransparentWindows().Clear(); }
};

TEST_F(TransparentWindowsTest, RemembersOneAlphaPerWindowAndOnlyValidOnesCount) {
  TWindowsList& list = TransparentWindows();
  EXPECT_EQ(std::nullopt, list.AlphaOf(0x100));
  list.Remember(0x100, 200);
  list.Remember(0x200, 40);
  list.Remember(0x100, 180);
  EXPECT_EQ(180, list.AlphaOf(0x100));
  EXPECT_EQ(40, list.AlphaOf(0x200));
  for (int invalid : {-1, 256, 100000}) {
    list.Remember(0x300, invalid);
    EXPECT_EQ(std::nullopt, list.AlphaOf(0x300)) << invalid;
  }
  list.Clear();
  EXPECT_EQ(std::nullopt, list.AlphaOf(0x100));
}

TEST_F(TransparentWindowsTest, ToleratesWritersOnSeveralThreads) {
  std::vector<std::thread> threads;
  for (uintptr_t t = 1; t <= 4; ++t) {
    threads.emplace_back([t] {
      for (int i = 0; i < 1000; ++i) TransparentWindows().Remember(t, i % 256);
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (uintptr_t t = 1; t <= 4; ++t) EXPECT_EQ(999 % 256, TransparentWindows().AlphaOf(t));
}

TEST(ChooseBoxCommand, TheMenuDecidesWhereItCanBeReadElseTheStyle) {
  struct Case {
    std::optional<bool> greyedInMenu;
    bool hasBox;
    BoxCommandStep expected;
  };
  const Case cases[] = {
      {false, true, BoxCommandStep::kPost},         {false, false, BoxCommandStep::kPost},
      {true, true, BoxCommandStep::kBeep},          {true, false, BoxCommandStep::kBeep},
      {std::nullopt, true, BoxCommandStep::kPost},  // another program's window under Wine
      {std::nullopt, false, BoxCommandStep::kBeep},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.expected, ChooseBoxCommand(c.greyedInMenu, c.hasBox))
        << "menu " << (c.greyedInMenu ? int{*c.greyedInMenu} : -1) << " box " << c.hasBox;
  }
}

TEST(CentredPosition, HalvesTruncateTowardZeroBeforeSubtracting) {
  EXPECT_EQ((Point{320, 240}), CentredPosition(1280, 800, 640, 320));
  EXPECT_EQ((Point{100, 50}), CentredPosition(801, 601, 601, 501));  // 400 - 300, 300 - 250
  EXPECT_EQ((Point{-100, -50}), CentredPosition(800, 600, 1000, 700));
  EXPECT_EQ((Point{401, 301}), CentredPosition(800, 600, -3, -3));  // -3 / 2 is -1
}

TEST(ScrollMessagesFor, DirectionAndCountChooseMessageRequestAndNumber) {
  struct Case {
    int direction;
    int lines;
    ScrollMessages expected;
  };
  const Case cases[] = {
      {kScrollUp, 3, {277, 0, 3, false}},    {kScrollUp, 0, {277, 2, 1, false}},
      {kScrollDown, 1, {277, 1, 1, false}},  {kScrollDown, 0, {277, 3, 1, false}},
      {kScrollLeft, 5, {276, 0, 5, true}},   {kScrollLeft, 0, {276, 2, 1, true}},
      {kScrollRight, 2, {276, 1, 2, true}},  {kScrollRight, 0, {276, 3, 1, true}},
      {kScrollDown, -4, {277, 3, 1, false}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.expected, ScrollMessagesFor(c.direction, c.lines))
        << "direction " << c.direction << " lines " << c.lines;
  }
}

TEST(ScrollLineCount, PagesOrASpeedOutsideOneToTwentyMeanPageMode) {
  EXPECT_EQ(3, ScrollLineCount(false, 3));
  EXPECT_EQ(1, ScrollLineCount(false, 1));
  EXPECT_EQ(20, ScrollLineCount(false, 20));
  EXPECT_EQ(0, ScrollLineCount(false, 21));
  EXPECT_EQ(0, ScrollLineCount(false, 0));
  EXPECT_EQ(0, ScrollLineCount(true, 3));
}

TEST(BrowserScrollKey, EachModeHasItsKey) {
  struct Case {
    uint8_t mode;
    bool pages;
    std::optional<SentKey> expected;
  };
  const Case cases[] = {
      {0, true, SentKey{0, 33}},  {0, false, SentKey{0, 38}},  {1, true, SentKey{0, 34}},
      {1, false, SentKey{0, 40}}, {2, false, SentKey{2, 187}}, {3, true, SentKey{0, 37}},
      {4, false, SentKey{0, 39}}, {5, true, SentKey{2, 189}},  {6, false, std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.expected, BrowserScrollKey(c.mode, c.pages))
        << "mode " << int{c.mode} << " pages " << c.pages;
  }
}

TEST(IsKeyScrolledBrowser, OnlyTheTwoBrowserClasses) {
  EXPECT_TRUE(IsKeyScrolledBrowser("MozillaUIWindowClass"));
  EXPECT_TRUE(IsKeyScrolledBrowser("OpWindow"));
  EXPECT_FALSE(IsKeyScrolledBrowser("mozillauiwindowclass"));
  EXPECT_FALSE(IsKeyScrolledBrowser("MozillaWindowClass"));
  EXPECT_FALSE(IsKeyScrolledBrowser(""));
}

TEST(ScrollActionFor, ScrollsInFourDirectionsAndZoomsWithCtrlAndTheWheel) {
  EXPECT_EQ(kScrollUp, ScrollActionFor(0).direction);
  EXPECT_EQ(kScrollDown, ScrollActionFor(1).direction);
  EXPECT_EQ(kScrollLeft, ScrollActionFor(3).direction);
  EXPECT_EQ(kScrollRight, ScrollActionFor(4).direction);
  EXPECT_EQ((SentKey{2, 136}), ScrollActionFor(2).zoomKey);
  EXPECT_EQ((SentKey{2, 137}), ScrollActionFor(5).zoomKey);
  EXPECT_FALSE(ScrollActionFor(2).direction.has_value());
  EXPECT_FALSE(ScrollActionFor(0).zoomKey.has_value());
  const ScrollAction unknown = ScrollActionFor(9);
  EXPECT_FALSE(unknown.direction.has_value() || unknown.zoomKey.has_value());
}

TEST(MessageTargetFor, ModeZeroNamesAWindowOnlyWhenClassOrCaptionIsGiven) {
  struct Case {
    int32_t mode;
    const char* windowClass;
    const char* caption;
    MessageTarget expected;
  };
  const Case cases[] = {
      {0, "nil", "nil", MessageTarget::kForeground},
      {0, "", "", MessageTarget::kForeground},
      {0, "Notepad", "nil", MessageTarget::kNamed},
      {0, "nil", "Untitled", MessageTarget::kNamed},
      {0, "Nil", "nil", MessageTarget::kNamed},  // only the exact "nil" means any
      {1, "Notepad", "x", MessageTarget::kForeground},
      {2, "nil", "nil", MessageTarget::kFocused},
      {3, "nil", "nil", MessageTarget::kUnderCursorChild},
      {4, "nil", "nil", MessageTarget::kUnderCursorParent},
      {5, "nil", "nil", MessageTarget::kNone},
      {-1, "Notepad", "nil", MessageTarget::kNone},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.expected, MessageTargetFor(c.mode, c.windowClass, c.caption))
        << "mode " << c.mode << " " << c.windowClass << "/" << c.caption;
  }
}

}  // namespace
}  // namespace tavion
