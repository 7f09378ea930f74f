// The main window as a user meets it: restored from the tray icon, walked through its navigation
// with the keyboard, and the tray menu's "Actions" running an action.
#include <windows.h>

#include <gtest/gtest.h>

#include <cwctype>
#include <optional>
#include <string>
#include <vector>

#include "tavion_process.h"

namespace tavion::e2e {
namespace {

TEST(MainWindow, RestoredFromTheTrayItsEntriesShowTheirPagesAndTheTrayRunsAnAction) {
  TavionProcess tavion;
  ASSERT_TRUE(tavion.Start(L"/a"));
  HWND main = tavion.WaitForMainWindow();
  ASSERT_NE(nullptr, main);
  ASSERT_TRUE(RestoreFromTray(main)) << "a click on the tray icon restores the window";
  EXPECT_EQ(L"Main options", PageTitle(main)) << "the page the window starts on";

  // The tree's rows from the top, all panels open: a panel's row (empty) only moves on.
  const std::vector<std::wstring> rows = {L"",
                                          L"About",
                                          L"",
                                          L"",
                                          L"",
                                          L"Main options",
                                          L"Media player manage",
                                          L"HotKeys Actions",
                                          L"OnScreen display",
                                          L"Macros",
                                          L"Names of keys",
                                          L"Plugins",
                                          L"",
                                          L"Keyboard layout",
                                          L"Shell keys"};
  const int dpi = ScreenDpi();
  Press({VK_HOME});
  for (size_t row = 0; row < rows.size(); ++row) {
    if (row > 0) Press({VK_DOWN});
    if (rows[row].empty()) continue;
    Press({VK_RETURN});
    ASSERT_TRUE(WaitUntil([&] { return PageTitle(main) == rows[row]; }))
        << "row " << row << " shows " << PageTitle(main);
    std::string name;
    for (wchar_t c : rows[row]) name += c == L' ' ? '-' : static_cast<char>(std::towlower(c));
    SaveScreenshot("page-" + name + "-" + std::to_string(dpi));
    if (rows[row] == L"HotKeys Actions") {
      // F12 reaches the page whatever has the focus: its details list shows, then the tree again.
      HWND details = FindDescendant(main, L"SysListView32");
      ASSERT_NE(nullptr, details);
      ASSERT_FALSE(IsWindowVisible(details));
      Press({VK_F12});
      EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(details) != FALSE; }));
      Press({VK_F12});
      EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(details); }));
    }
  }

  // Tab leaves the navigation for the page's first control.
  GUITHREADINFO gui = {};
  gui.cbSize = sizeof gui;
  const DWORD thread = GetWindowThreadProcessId(main, nullptr);
  ASSERT_TRUE(GetGUIThreadInfo(thread, &gui));
  HWND navigation = gui.hwndFocus;
  Press({VK_TAB});
  EXPECT_TRUE(WaitUntil([&] {
    return GetGUIThreadInfo(thread, &gui) && gui.hwndFocus != navigation &&
           IsChild(main, gui.hwndFocus);
  }));

  // Tray menu: Restore, Profiles, Actions > Winamp, Tavion > (tv_opts), tv_beep: the running
  // check's box.
  const auto icon = TrayIconPoint(main);
  ASSERT_TRUE(icon);
  ClickAt(*icon, MOUSEEVENTF_RIGHTDOWN);
  ASSERT_NE(nullptr, wine_test::WaitForWindow(L"#32768", tavion.Id()));
  Press({VK_DOWN, VK_DOWN, VK_DOWN, VK_RIGHT, VK_DOWN, VK_RIGHT, VK_DOWN});
  ASSERT_TRUE(
      WaitUntil([&] { return wine_test::TopLevelWindows(L"#32768", tavion.Id()).size() == 3; }));
  SaveScreenshot("tray-menu-actions-" + std::to_string(dpi));
  Press({VK_RETURN});
  HWND box = wine_test::WaitForWindow(L"#32770", tavion.Id(), L"Tavion");
  ASSERT_NE(nullptr, box) << "the running check from the tray";
  EXPECT_EQ(L"Tavion 1.0 - running.", StaticText(box));
  PressButton(box, IDOK);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }));

  ExitConfirmed(tavion, main);
}

}  // namespace
}  // namespace tavion::e2e
