// The main window as a user meets it: restored from the tray icon, walked through its navigation
// with the keyboard, and the tray menu's "Actions" running an action.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <cwctype>
#include <optional>
#include <string>
#include <vector>

#include "tavion_process.h"

namespace tavion::e2e {
namespace {

constexpr int kPageTitleId = 1902;

void Press(std::initializer_list<WORD> keys) {
  for (WORD key : keys) PressChord({}, key);
}

// Clicks `button` (MOUSEEVENTF_LEFTDOWN or RIGHTDOWN) at `point` of the screen.
void ClickAt(POINT point, DWORD button) {
  const int width = GetSystemMetrics(SM_CXSCREEN) - 1;
  const int height = GetSystemMetrics(SM_CYSCREEN) - 1;
  INPUT move = wine_test::MouseInput(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE);
  move.mi.dx = MulDiv(point.x, 65535, width);
  move.mi.dy = MulDiv(point.y, 65535, height);
  wine_test::Inject({move, wine_test::MouseInput(button),
                     wine_test::MouseInput(button == MOUSEEVENTF_LEFTDOWN ? MOUSEEVENTF_LEFTUP
                                                                          : MOUSEEVENTF_RIGHTUP)});
}

// The middle of the program's icon in the notification area: where the shell says it is, else
// the right end of the task bar, where the only icon sits.
std::optional<POINT> TrayIconPoint(HWND main) {
  NOTIFYICONIDENTIFIER icon = {};
  icon.cbSize = sizeof icon;
  icon.hWnd = main;
  icon.uID = 1;
  RECT r = {};
  if (SUCCEEDED(Shell_NotifyIconGetRect(&icon, &r)) && r.right > r.left)
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  HWND taskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
  if (!taskbar || !GetWindowRect(taskbar, &r)) return std::nullopt;
  return POINT{r.right - GetSystemMetrics(SM_CXSMICON) / 2 - 2, (r.top + r.bottom) / 2};
}

std::wstring PageTitle(HWND main) {
  return wine_test::WindowText(GetDlgItem(main, kPageTitleId));
}

TEST(MainWindow, RestoredFromTheTrayItsEntriesShowTheirPagesAndTheTrayRunsAnAction) {
  TavionProcess tavion;
  ASSERT_TRUE(tavion.Start(L"/a"));
  HWND main = tavion.WaitForMainWindow();
  ASSERT_NE(nullptr, main);
  const auto icon = TrayIconPoint(main);
  ASSERT_TRUE(icon);
  // The first click after the start may come before the icon is there.
  for (int attempt = 0; attempt < 5 && !IsWindowVisible(main); ++attempt) {
    ClickAt(*icon, MOUSEEVENTF_LEFTDOWN);
    WaitUntil([&] { return IsWindowVisible(main) != FALSE; }, 3000);
  }
  ASSERT_TRUE(IsWindowVisible(main)) << "a click on the tray icon restores the window";
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == main; }));
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
  const int dpi = [] {
    HDC screen = GetDC(nullptr);
    const int value = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return value;
  }();
  Press({VK_HOME});
  std::wstring shown = PageTitle(main);
  for (size_t row = 0; row < rows.size(); ++row) {
    if (row > 0) Press({VK_DOWN});
    if (rows[row].empty()) continue;
    Press({VK_RETURN});
    ASSERT_TRUE(WaitUntil([&] { return PageTitle(main) == rows[row]; }))
        << "row " << row << " shows " << PageTitle(main);
    std::string name;
    for (wchar_t c : rows[row]) name += c == L' ' ? '-' : static_cast<char>(std::towlower(c));
    SaveScreenshot("page-" + name + "-" + std::to_string(dpi));
    shown = rows[row];
  }
  // The help entries do nothing yet: "Shell keys" still shows after Enter on "Version history".
  Press({VK_HOME, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN});
  Press({VK_F12});
  EXPECT_FALSE(WaitUntil([&] { return PageTitle(main) != shown; }, 500));
  EXPECT_EQ(nullptr, wine_test::WaitForWindow(L"#32770", tavion.Id(), nullptr, 500));

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
