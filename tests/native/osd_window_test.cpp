#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "osd/osd_fade.h"
#include "osd/osd_geometry.h"

namespace tavion {
namespace {

TEST(OsdLines, SplitAtLineBreaksAfterHashThirteen) {
  const std::pair<const char*, std::vector<std::string>> cases[] = {
      {"", {""}},
      {"Notepad\r\nCtrl + Alt + N", {"Notepad", "Ctrl + Alt + N"}},
      {"a\r\n\r\nb", {"a", "", "b"}},
      {"a\rb\nc", {"a", "b", "c"}},
      {"a\r\n", {"a"}},
      {"Volume#13#13Muted#1", {"Volume", "", "Muted#1"}},
      {"#133", {"", "3"}},
  };
  for (const auto& [text, lines] : cases)
    EXPECT_EQ(lines, SplitOsdLines(ExpandOsdLineCodes(text))) << text;
}

TEST(OsdSkins, ThemePartByTypeAndWhenTheSkinIsUsed) {
  EXPECT_EQ(std::wstring(L"TASKBAND"), OsdSkinFor(2)->themeClass);
  EXPECT_EQ(4, OsdSkinFor(3)->state);
  EXPECT_EQ(nullptr, OsdSkinFor(0));
  EXPECT_EQ(nullptr, OsdSkinFor(7));
  EXPECT_TRUE(OsdSkinned(true, 1));
  EXPECT_FALSE(OsdSkinned(false, 1) || OsdSkinned(true, 0) || OsdSkinned(true, 9));
  EXPECT_TRUE(OsdLineBold(0, false));
  EXPECT_FALSE(OsdLineBold(1, false) || OsdLineBold(0, true));
}

TEST(OsdWindowSize, FromLineWidthsAndRowHeight) {
  const std::tuple<std::vector<int>, int, OsdSize> cases[] = {
      {{100}, 18, {131, 23}},       // one line: width + 10 + 21 for the icon
      {{100, 150}, 18, {160, 41}},  // a wider second line wins
      {{100, 110}, 18, {131, 41}},  // the first line's icon room wins
      {{}, 20, {31, 25}},           // no lines: one empty row
  };
  for (const auto& [widths, lineHeight, expected] : cases)
    EXPECT_EQ(expected, OsdWindowSize(widths, lineHeight)) << widths.size();
}

// 10 pixels a character, 12 on the first (bold) row.
int FakeWidth(size_t row, std::string_view text) {
  int characters = 0;
  for (char c : text) characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return characters * (row == 0 ? 12 : 10);
}

TEST(OsdTextRoom, LongLinesWrapLikeATextBox) {
  EXPECT_EQ((OsdTextRoom{1180, 44}), OsdTextRoomFor(1280, 800, 18));
  EXPECT_EQ((OsdTextRoom{1, 1}), OsdTextRoomFor(60, 10, 18)) << "a tiny screen keeps one row";
  EXPECT_EQ((OsdTextRoom{924, 1}), OsdTextRoomFor(1024, 768, 0)) << "no row height measured";
  const std::tuple<std::vector<std::string>, OsdTextRoom, std::vector<std::string>> cases[] = {
      // Breaks at the last space that fits; the bold first row holds fewer characters.
      {{"Open the long folder"}, {100, 9}, {"Open the", "long", "folder"}},
      // A path breaks after its last separator that fits, or at a later space.
      {{"x", "C:\\Windows\\System32\\notepad.exe"},
       {200, 9},
       {"x", "C:\\Windows\\System32\\", "notepad.exe"}},
      {{"x", "C:\\Program Files\\Tavion"}, {150, 9}, {"x", "C:\\Program", "Files\\Tavion"}},
      // A word wider than the box breaks at the edge, never inside a character.
      {{"x", "Supercalifragilistic"}, {50, 9}, {"x", "Super", "calif", "ragil", "istic"}},
      {{"x", "\xC3\xA9\xC3\xA9\xC3\xA9"}, {20, 9}, {"x", "\xC3\xA9\xC3\xA9", "\xC3\xA9"}},
      {{"x", "abc"}, {5, 9}, {"x", "a", "b", "c"}},  // narrower than one character
      // Out of rows: the last one ends in an ellipsis that fits.
      {{"x", "one two three four"}, {80, 2}, {"x", "one t..."}},
      {{"x", "a", "b"}, {80, 2}, {"x", "a..."}},
      {{"x", "  spaced  out  "}, {60, 9}, {"x", "  spac", "ed", "out  "}},
  };
  for (const auto& [lines, room, rows] : cases)
    EXPECT_EQ(rows, FitOsdLines(lines, room, FakeWidth)) << lines.back();
}

TEST(OsdPlacement, EveryPositionAboveTheTaskbar) {
  EXPECT_EQ(30, OsdTaskbarAllowance(30, false));
  EXPECT_EQ(0, OsdTaskbarAllowance(30, true));
  EXPECT_EQ(0, OsdTaskbarAllowance(-4, false));
  const OsdScreen screen{1280, 800, 30};
  const std::pair<uint8_t, OsdPoint> cases[] = {
      {0, {1080, 720}},  // lower right, above the taskbar
      {1, {0, 720}},     // lower left
      {2, {1080, 0}},    // upper right: the taskbar does not move it
      {3, {0, 0}},       // upper left
      {4, {540, 345}},   // centre: 400 - 25 - the whole taskbar height
      {5, {-7, 345}},    // custom corner as stored, even off screen
      {9, {1080, 720}},  // unknown: lower right
  };
  for (const auto& [position, expected] : cases)
    EXPECT_EQ(expected, OsdWindowPlace(position, {200, 50}, screen, {-7, 345})) << int{position};
  EXPECT_EQ((OsdPoint{512 - 65, 384 - 11}), OsdWindowPlace(4, {131, 23}, {1025, 769, 0}, {}))
      << "the centre rounds odd sizes down";
}

TEST(OsdPaint, IconBesideTheFirstLineAndRightAlignedLines) {
  const OsdPaintLayout layout = OsdLayoutPaint(131, {100, 60}, 18);
  EXPECT_EQ((OsdPoint{131 - 10 - 100 - 16, 3}), layout.icon);
  EXPECT_EQ((std::vector<OsdPoint>{{131 - 5 - 100, 2}, {131 - 5 - 60, 20}}), layout.lines);
  EXPECT_EQ(2 + (40 - 16) / 2, OsdLayoutPaint(200, {50}, 40).icon.y) << "centred on tall fonts";
}

TEST(OsdFade, InHoldOutWithShiftHeldTimeNotCountedThenDone) {
  using P = OsdPhase;
  OsdFade fade(/*fromAlpha=*/0, /*targetAlpha=*/200, /*animate=*/true, /*showTimeMs=*/100, 0);
  // At least one step at once; with Shift held (900) the time does not count.
  const std::tuple<int64_t, bool, int, P> steps[] = {
      {0, false, 1, P::kFadeIn},      {30, false, 11, P::kFadeIn},    {597, false, 200, P::kHold},
      {696, false, 200, P::kHold},    {697, false, 199, P::kFadeOut}, {900, true, 199, P::kFadeOut},
      {903, false, 198, P::kFadeOut}, {10000, false, 0, P::kDone},
  };
  for (const auto& [now, shift, alpha, phase] : steps) {
    EXPECT_EQ(alpha, fade.Advance(now, shift)) << now;
    EXPECT_EQ(phase, fade.Phase()) << now;
  }
  OsdFade still(0, 180, /*animate=*/false, 50, 1000);
  EXPECT_EQ(180, still.Alpha());
  EXPECT_EQ(180, still.Advance(1049, false));
  EXPECT_EQ(P::kHold, still.Phase());
  EXPECT_EQ(180, still.Advance(1050, false));
  EXPECT_EQ(P::kDone, still.Phase()) << "no fade out without animation";
  OsdFade replaced(230, 200, true, 1000, 0);  // a replaced text keeps the opacity it reached
  EXPECT_EQ(P::kHold, replaced.Phase());
  replaced.EndHold();
  EXPECT_EQ(229, replaced.Advance(1, false));
}

}  // namespace
}  // namespace tavion
