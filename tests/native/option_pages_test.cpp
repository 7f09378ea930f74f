#include <gtest/gtest.h>

#include <tuple>

#include "ui/main_options.h"
#include "ui/main_options_page.h"
#include "ui/osd_page.h"

namespace tavion {
namespace {

TEST(OptionPages, OsdChangesCoupleTheTaskbarToFullScreenAndResetAHandChosenCustomPlace) {
  using F = OsdPageField;
  // Before: taskbar ignored, full screen, position, custom x; the change; after.
  using Values = std::tuple<bool, bool, int, int>;
  const std::tuple<Values, F, int, Values> cases[] = {
      {{false, false, 1, 9}, F::kNoTaskBar, 1, {true, true, 1, 9}},
      {{true, true, 1, 9}, F::kFullScreen, 0, {false, false, 1, 9}},
      {{false, false, 1, 9}, F::kFullScreen, 1, {false, true, 1, 9}},
      {{false, true, 1, 9}, F::kPosition, 5, {false, true, 5, 0}},
      {{false, true, 5, 9}, F::kPosition, 5, {false, true, 5, 9}},
      {{false, true, 1, 9}, F::kPosition, 9, {false, true, 5, 0}},
  };
  for (const auto& [before, field, value, after] : cases) {
    OsdPageValues v;
    std::tie(v.noTaskBar, v.fullScreen, v.position, v.posX) = before;
    v.posY = v.posX;
    v = ChangeOsdPageValue(v, field, value);
    EXPECT_EQ(after, Values(v.noTaskBar, v.fullScreen, v.position, v.posX)) << value;
    EXPECT_EQ(v.posX, v.posY);
  }
  EXPECT_EQ(10000, ChangeOsdPageValue({}, F::kShowTime, 20000).showTime);
  EXPECT_EQ(1, ChangeOsdPageValue({}, F::kAlphaValue, 0).alphaValue);
}

}  // namespace
}  // namespace tavion
