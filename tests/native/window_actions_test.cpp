#include "exec/window_actions.h"

#include <gtest/gtest.h>

#include <optional>
#include <tuple>
#include <utility>
#include <vector>

namespace tavion {
namespace {

TEST(NextAlpha, StepsSetsAndStaysWithinTheBounds) {
  // Mode, value, current, minimum, maximum, the next alpha: steps that stop at the minimum and
  // the maximum, a bound below a byte that still gives a byte, crossed bounds.
  const std::tuple<uint8_t, int, int, int, int, int> cases[] = {
      {kAlphaLower, 0, 60, 50, 255, 50},
      {kAlphaRaise, 0, 100, 10, 110, 110},
      {kAlphaLower, 0, 10, -50, 255, 0},
      {kAlphaSet, 128, 100, 200, 100, 100}};
  for (const auto& [mode, value, current, minimum, maximum, expected] : cases)
    EXPECT_EQ(expected, NextAlpha(mode, value, current, minimum, maximum)) << value << current;
}

TEST(Scrolling, DirectionCountAndModeChooseMessagesAndKeys) {
  // Direction, lines (none: a page), the messages.
  const std::tuple<int, int, ScrollMessages> cases[] = {
      {kScrollDown, -4, {277, 3, 1, false}}, {kScrollLeft, 5, {276, 0, 5, true}},
      {kScrollLeft, 0, {276, 2, 1, true}},   {kScrollRight, 2, {276, 1, 2, true}},
      {kScrollRight, 0, {276, 3, 1, true}},
  };
  for (const auto& [direction, lines, expected] : cases)
    EXPECT_EQ(expected, ScrollMessagesFor(direction, lines)) << direction << " " << lines;
  // Pages, or a speed outside 1 to 20, mean page mode.
  EXPECT_EQ((std::vector<int>{1, 20, 0, 0, 0}),
            (std::vector<int>{ScrollLineCount(false, 1), ScrollLineCount(false, 20),
                              ScrollLineCount(false, 21), ScrollLineCount(false, 0),
                              ScrollLineCount(true, 3)}));
  const std::tuple<uint8_t, bool, std::optional<SentKey>> keys[] = {
      {0, true, SentKey{0, 33}},  {0, false, SentKey{0, 38}},  {1, true, SentKey{0, 34}},
      {1, false, SentKey{0, 40}}, {2, false, SentKey{2, 187}}, {3, true, SentKey{0, 37}},
      {4, false, SentKey{0, 39}}, {5, true, SentKey{2, 189}},  {6, false, std::nullopt},
  };
  for (const auto& [mode, pages, expected] : keys)
    EXPECT_EQ(expected, BrowserScrollKey(mode, pages)) << int{mode} << pages;
  EXPECT_TRUE(IsKeyScrolledBrowser("OpWindow") && IsKeyScrolledBrowser("MozillaUIWindowClass"));
  EXPECT_FALSE(IsKeyScrolledBrowser("mozillauiwindowclass"));
  const std::pair<uint8_t, int> directions[] = {
      {1, kScrollDown}, {3, kScrollLeft}, {4, kScrollRight}};
  for (const auto& [mode, direction] : directions)
    EXPECT_EQ(direction, ScrollActionFor(mode).direction) << int{mode};
  EXPECT_EQ((SentKey{2, 136}), ScrollActionFor(2).zoomKey);
  EXPECT_EQ((SentKey{2, 137}), ScrollActionFor(5).zoomKey);
  EXPECT_FALSE(ScrollActionFor(5).direction || ScrollActionFor(0).zoomKey ||
               ScrollActionFor(9).direction || ScrollActionFor(9).zoomKey);
}

}  // namespace
}  // namespace tavion
