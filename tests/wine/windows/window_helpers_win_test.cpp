// The window helpers the window actions share.

#include <gtest/gtest.h>

#include "action_windows.h"
#include "exec/window_actions_win.h"

namespace windows_test {
namespace {

using exec_test::PumpUntil;

TEST(TopLevelOf, ClimbsChildWindowsButNotOwners) {
  TestWindow top({.caption = L"Top"});
  TestWindow child({.caption = L"Child",
                    .style = WS_CHILD | WS_VISIBLE,
                    .parent = top.hwnd(),
                    .width = 200,
                    .height = 200});
  TestWindow grandChild({.caption = L"Grandchild",
                         .style = WS_CHILD | WS_VISIBLE,
                         .parent = child.hwnd(),
                         .width = 50,
                         .height = 50});
  TestWindow owned({.caption = L"Owned", .style = WS_POPUP | WS_VISIBLE, .parent = top.hwnd()});
  EXPECT_EQ(top.hwnd(), tavion::TopLevelOf(grandChild.hwnd()));
  EXPECT_EQ(top.hwnd(), tavion::TopLevelOf(child.hwnd()));
  EXPECT_EQ(top.hwnd(), tavion::TopLevelOf(top.hwnd()));
  EXPECT_EQ(owned.hwnd(), tavion::TopLevelOf(owned.hwnd()));
  EXPECT_EQ(nullptr, tavion::TopLevelOf(nullptr));
}

// Whether the cursor is at `target` over `window`: SetCursorPos takes effect a little later.
bool CursorOver(POINT target, HWND window) {
  POINT cursor;
  return GetCursorPos(&cursor) && cursor.x == target.x && cursor.y == target.y &&
         WindowFromPoint(target) == window;
}

TEST(WindowUnderCursor, TheChildAtTheCursorOrItsTopLevelWindow) {
  TestWindow top({.caption = L"Top", .x = 150, .y = 150});
  TestWindow child({.caption = L"Child",
                    .style = WS_CHILD | WS_VISIBLE,
                    .parent = top.hwnd(),
                    .x = 30,
                    .y = 30,
                    .width = 100,
                    .height = 100});
  ASSERT_TRUE(MakeForeground(top.hwnd()));
  POINT point{40, 40};
  ClientToScreen(child.hwnd(), &point);
  ASSERT_TRUE(SetCursorPos(point.x, point.y));
  ASSERT_TRUE(PumpUntil([&] { return CursorOver(point, child.hwnd()); }, 2000));
  EXPECT_EQ(child.hwnd(), tavion::WindowUnderCursor(true));
  EXPECT_EQ(top.hwnd(), tavion::WindowUnderCursor(false));

  POINT inTop{5, 5};
  ClientToScreen(top.hwnd(), &inTop);
  ASSERT_TRUE(SetCursorPos(inTop.x, inTop.y));
  ASSERT_TRUE(PumpUntil([&] { return CursorOver(inTop, top.hwnd()); }, 2000));
  EXPECT_EQ(top.hwnd(), tavion::WindowUnderCursor(true));
}

TEST(WindowAlpha, OpaqueWhenTheSystemReportsNone) {
  TestWindow window;
  EXPECT_EQ(255, tavion::WindowAlpha(window.hwnd()));
  EXPECT_EQ(255, tavion::WindowAlpha(nullptr));
}

}  // namespace
}  // namespace windows_test
