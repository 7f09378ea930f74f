// Tavion.exe with its own plug-ins in PlugIns: a fresh profile gets their two folders, Win+Home
// announces the time through Corvex, and Panora's desktops, bound to Win+digits, hide and show
// windows and give every window back when Tavion ends (other programs' windows: the Panora tier).
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tavion_process.h"

namespace tavion::e2e {
namespace {

// The top-level nodes of the action tree on the visible page of `main`.
int RootNodes(HWND main) {
  for (HWND page = FindWindowExW(main, nullptr, nullptr, nullptr); page;
       page = FindWindowExW(main, page, nullptr, nullptr)) {
    HWND tree = FindWindowExW(page, nullptr, WC_TREEVIEWW, nullptr);
    if (!tree || !IsWindowVisible(page)) continue;
    int count = 0;
    for (LRESULT item = SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0); item;
         item = SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, item))
      ++count;
    return count;
  }
  return -1;
}

// The text of the one visible notification of process `pid`, empty while there is none.
std::wstring NotificationText(DWORD pid) {
  for (HWND osd : wine_test::TopLevelWindows(L"TAVION_NOTIFYWINDOW", pid))
    if (IsWindowVisible(osd)) return wine_test::WindowText(osd);
  return {};
}

// Presses Win+`key` until `done` holds, at most five times (under Wine the first chord after a
// window came up may lose its modifier).
bool PressWinUntil(WORD key, const std::function<bool()>& done) {
  for (int attempt = 0; attempt < 5; ++attempt) {
    PressChord({VK_LWIN}, key);
    if (WaitUntil(done, 3000)) return true;
  }
  return false;
}

TEST(OwnPlugins, WinHomeAnnouncesTheTimeAndAFreshProfileHoldsBothPluginFolders) {
  WriteSetting(L"Desk", L"Show_Time", 3000);
  TavionProcess tavion;
  HWND main = StartShown(tavion);
  ASSERT_NE(nullptr, main);

  wchar_t year[8] = {};
  GetDateFormatW(LOCALE_USER_DEFAULT, 0, nullptr, L"yyyy", year, 8);
  ASSERT_TRUE(PressWinUntil(VK_HOME, [&] {
    return NotificationText(tavion.Id()).find(year) != std::wstring::npos;
  })) << "the notification of \"ShowTime\" holds the date";
  SaveScreenshot("corvex-show-time");

  // The navigation's eighth row is "HotKeys Actions".
  ASSERT_TRUE(RestoreFromTray(main));
  PressChord({}, VK_HOME);
  for (int row = 0; row < 7; ++row) PressChord({}, VK_DOWN);
  PressChord({}, VK_RETURN);
  EXPECT_TRUE(WaitUntil([&] { return RootNodes(main) == 7; }))
      << "five folders of the program's own and one for each plug-in; found " << RootNodes(main);
  ExitConfirmed(tavion, main);
}

TEST(OwnPlugins, PanoraDesktopsHideAndShowWindowsAndTavionsEndShowsThemAll) {
  TavionProcess tavion;
  HWND main = StartShown(tavion);
  ASSERT_NE(nullptr, main);
  wine_test::TestWindow ours(
      {.caption = L"desktop one", .style = WS_OVERLAPPEDWINDOW | WS_VISIBLE});

  ASSERT_TRUE(PressWinUntil('2', [&] { return !IsWindowVisible(ours.hwnd()); }))
      << "Win+2 goes to the second desktop";
  EXPECT_TRUE(IsWindowVisible(main) || !IsWindow(main)) << "Tavion's own windows stay";
  SaveScreenshot("panora-second-desktop");

  ASSERT_TRUE(PressWinUntil('1', [&] { return IsWindowVisible(ours.hwnd()) != FALSE; }))
      << "Win+1 comes back";

  ASSERT_TRUE(PressWinUntil('3', [&] { return !IsWindowVisible(ours.hwnd()); }));
  ExitConfirmed(tavion, main);
  EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(ours.hwnd()) != FALSE; }))
      << "Panora ends with Tavion and shows every window";
}

}  // namespace
}  // namespace tavion::e2e
