#include "osd/osd_geometry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tavion {
namespace {

struct SplitCase {
  const char* text;
  std::vector<std::string> lines;
};

TEST(OsdLines, SplitAtLineBreaks) {
  const SplitCase cases[] = {
      {"", {""}},
      {"Notepad", {"Notepad"}},
      {"Notepad\r\nCtrl + Alt + N", {"Notepad", "Ctrl + Alt + N"}},
      {"a\r\n\r\nb", {"a", "", "b"}},
      {"a\rb\nc", {"a", "b", "c"}},
      {"a\r\n", {"a"}},
      {"\r\nb", {"", "b"}},
  };
  for (const SplitCase& c : cases) {
    EXPECT_EQ(c.lines, SplitOsdLines(c.text)) << "text: " << c.text;
  }
}

TEST(OsdLines, HashThirteenBecomesLineBreak) {
  const struct {
    const char* text;
    const char* expanded;
  } cases[] = {
      {"Volume#13Muted", "Volume\r\nMuted"},
      {"#13#13", "\r\n\r\n"},
      {"#1", "#1"},
      {"#133", "\r\n3"},
      {"no codes", "no codes"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.expanded, ExpandOsdLineCodes(c.text)) << c.text;
  EXPECT_EQ((std::vector<std::string>{"Play", "Track 1"}),
            SplitOsdLines(ExpandOsdLineCodes("Play#13Track 1")));
}

TEST(OsdSkins, TableAndSkinnedRule) {
  EXPECT_EQ(nullptr, OsdSkinFor(0));
  EXPECT_EQ(nullptr, OsdSkinFor(7));
  EXPECT_EQ(nullptr, OsdSkinFor(-1));
  const struct {
    int32_t type;
    std::wstring themeClass;
    int part, state;
  } cases[] = {{1, L"BUTTON", 1, 1},      {2, L"TASKBAND", 2, 0},   {3, L"TRACKBAR", 3, 4},
               {4, L"EXPLORERBAR", 1, 0}, {5, L"STARTPANEL", 8, 0}, {6, L"WINDOW", 3, 1}};
  for (const auto& c : cases) {
    const OsdSkin* skin = OsdSkinFor(c.type);
    ASSERT_NE(nullptr, skin) << c.type;
    EXPECT_EQ(c.themeClass, skin->themeClass);
    EXPECT_EQ(c.part, skin->part);
    EXPECT_EQ(c.state, skin->state);
  }
  EXPECT_TRUE(OsdSkinned(true, 1));
  EXPECT_FALSE(OsdSkinned(false, 1));
  EXPECT_FALSE(OsdSkinned(true, 0));
  EXPECT_FALSE(OsdSkinned(true, 9));
  EXPECT_TRUE(OsdLineBold(0, false));
  EXPECT_FALSE(OsdLineBold(1, false));
  EXPECT_FALSE(OsdLineBold(0, true));
}

TEST(OsdWindowSize, FromLineWidthsAndRowHeight) {
  const struct {
    std::vector<int> widths;
    int lineHeight;
    OsdSize expected;
  } cases[] = {
      {{100}, 18, {131, 23}},              // one line: width + 10 + 21 for the icon
      {{100, 150}, 18, {160, 41}},         // a wider second line wins
      {{100, 110}, 18, {131, 41}},         // the first line's icon room wins
      {{0}, 20, {31, 25}},                 // minimum width
      {{}, 20, {31, 25}},                  // no lines: one empty row
      {{50, 40, 200, 10}, 16, {210, 69}},  // four rows
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.expected, OsdWindowSize(c.widths, c.lineHeight))
        << "first width " << (c.widths.empty() ? -1 : c.widths[0]) << ", rows " << c.widths.size();
  }
}

// 10 pixels a character, 12 on the first (bold) row.
int FakeWidth(size_t row, std::string_view text) {
  int characters = 0;
  for (char c : text) characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return characters * (row == 0 ? 12 : 10);
}

TEST(OsdTextRoom, ScreenWidthLessHundredAndTheRowsThatFit) {
  EXPECT_EQ((OsdTextRoom{1180, 44}), OsdTextRoomFor(1280, 800, 18));
  EXPECT_EQ((OsdTextRoom{1, 1}), OsdTextRoomFor(60, 10, 18)) << "a tiny screen keeps one row";
  EXPECT_EQ((OsdTextRoom{924, 1}), OsdTextRoomFor(1024, 768, 0)) << "no row height measured";
}

TEST(OsdTextRoom, LongLinesWrapLikeATextBox) {
  const struct {
    std::vector<std::string> lines;
    OsdTextRoom room;
    std::vector<std::string> rows;
  } cases[] = {
      {{"Notepad", "Ctrl + Alt + N"}, {200, 9}, {"Notepad", "Ctrl + Alt + N"}},
      // Breaks at the last space that fits, also one just past the row's end; the bold first
      // row holds fewer characters.
      {{"Open the long folder"}, {100, 9}, {"Open the", "long", "folder"}},
      // A path breaks after its last separator that fits, or at a later space.
      {{"Run", "C:\\Windows\\System32\\notepad.exe"},
       {200, 9},
       {"Run", "C:\\Windows\\System32\\", "notepad.exe"}},
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
  for (const auto& c : cases) {
    EXPECT_EQ(c.rows, FitOsdLines(c.lines, c.room, FakeWidth)) << c.lines.back();
  }
}

TEST(OsdPlacement, TaskbarAllowance) {
  EXPECT_EQ(30, OsdTaskbarAllowance(30, false));
  EXPECT_EQ(0, OsdTaskbarAllowance(30, true));
  EXPECT_EQ(0, OsdTaskbarAllowance(0, false));
  EXPECT_EQ(0, OsdTaskbarAllowance(-4, false));
}

TEST(OsdPlacement, EveryPosition) {
  const OsdSize window{200, 50};
  const OsdScreen screen{1280, 800, 30};
  const OsdPoint custom{-7, 345};
  const struct {
    uint8_t position;
    OsdPoint expected;
  } cases[] = {
      {0, {1080, 720}},  // lower right, above the taskbar
      {1, {0, 720}},     // lower left
      {2, {1080, 0}},    // upper right: the taskbar does not move it
      {3, {0, 0}},       // upper left
      {4, {540, 345}},   // centre: 400 - 25 - the whole taskbar height
      {5, {-7, 345}},    // custom corner as stored, even off screen
      {9, {1080, 720}},  // unknown: lower right
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.expected, OsdWindowPlace(c.position, window, screen, custom))
        << "position " << int{c.position};
  }
}

TEST(OsdPlacement, NoTaskBarTouchesTheBottomEdge) {
  const OsdSize window{131, 23};
  const OsdScreen screen{1024, 768, OsdTaskbarAllowance(28, /*noTaskBar=*/true)};
  const OsdPoint place = OsdWindowPlace(0, window, screen, {});
  EXPECT_EQ(1024, place.x + window.width);
  EXPECT_EQ(768, place.y + window.height);
}

TEST(OsdPlacement, CentreRoundsOddSizesDown) {
  const OsdScreen screen{1025, 769, 0};
  EXPECT_EQ((OsdPoint{512 - 65, 384 - 11}), OsdWindowPlace(4, {131, 23}, screen, {}));
}

TEST(OsdPaint, IconBesideFirstLineAndRightAlignedLines) {
  const std::vector<int> widths = {100, 60};
  const int lineHeight = 18;
  const OsdSize size = OsdWindowSize(widths, lineHeight);
  const OsdPaintLayout layout = OsdLayoutPaint(size.width, widths, lineHeight);
  EXPECT_EQ((OsdPoint{131 - 10 - 100 - 16, 3}), layout.icon);
  ASSERT_EQ(2u, layout.lines.size());
  EXPECT_EQ((OsdPoint{131 - 5 - 100, 2}), layout.lines[0]);
  EXPECT_EQ((OsdPoint{131 - 5 - 60, 20}), layout.lines[1]);
  // Everything inside the window: the icon does not touch the first line and the last row fits.
  EXPECT_GE(layout.icon.x, 0);
  EXPECT_LT(layout.icon.x + kOsdIconSize, layout.lines[0].x);
  EXPECT_LE(layout.lines[1].y + lineHeight, size.height);
}

TEST(OsdPaint, IconRowCentredOnTallFonts) {
  EXPECT_EQ(2 + (40 - 16) / 2, OsdLayoutPaint(200, {50}, 40).icon.y);
  EXPECT_EQ(2 + (10 - 16) / 2, OsdLayoutPaint(200, {50}, 10).icon.y);
}

}  // namespace
}  // namespace tavion
