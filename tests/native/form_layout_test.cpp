#include "forms/form_layout.h"

#include <gtest/gtest.h>

namespace tavion {
namespace {

// width, height, beside, stretch, caption width, group.
LayoutItem Item(int width, int height, bool beside = false, bool stretch = false, int label = 0,
                int group = -1) {
  return {group, beside, false, stretch, label, width, height};
}

LayoutItem Group(int captionWidth, int group = -1) {
  return {group, false, true, false, 0, captionWidth, 0};
}

// margin 8, gap 6, group caption band 20, group inner room 10.
const LayoutMetrics kMetrics;

TEST(FormLayout, RowsCentreOnTheirTallestCaptionsLineUpAndStretchersTakeTheRest) {
  // A check box; a caption, an edit that stretches and a button; a caption and a short field.
  const FormLayout layout = LayOutForm({Item(100, 20), Item(120, 22, false, true, 40),
                                        Item(75, 26, true), Item(50, 22, false, false, 30)},
                                       400, kMetrics);
  const std::vector<LayoutBox> expected = {
      {8, 8, 100, 20}, {54, 36, 257, 22}, {317, 34, 75, 26}, {54, 66, 50, 22}};
  EXPECT_EQ(expected, layout.controls);
  EXPECT_EQ((std::vector<LayoutBox>{{}, {8, 36, 40, 22}, {}, {8, 66, 40, 22}}), layout.labels);
  EXPECT_EQ(400, layout.width);
  EXPECT_EQ(96, layout.height);
}

TEST(FormLayout, GroupsHoldTheirControlsAndGrowAndAWideRowWidensTheForm) {
  // A group holding two check boxes side by side and a group with one; a label below; an item
  // of a group that does not exist goes to the page.
  const FormLayout layout =
      LayOutForm({Group(40), Item(200, 20, false, false, 0, 0), Item(180, 20, true, false, 0, 0),
                  Group(30, 0), Item(80, 20, false, false, 0, 3), Item(50, 16, false, false, 0, 9)},
                 300, kMetrics);
  const int inner = 200 + 6 + 180;
  const std::vector<LayoutBox> expected = {
      {8, 8, inner + 20, 20 + (20 + 6 + 50) + 10},
      {18, 28, 200, 20},
      {224, 28, 180, 20},
      {18, 54, inner, 20 + 20 + 10},
      {28, 74, 80, 20},
      {8, 8 + 106 + 6, 50, 16},
  };
  EXPECT_EQ(expected, layout.controls);
  EXPECT_EQ(inner + 20 + 16, layout.width) << "wider than asked, so no text is cut";
}

}  // namespace
}  // namespace tavion
