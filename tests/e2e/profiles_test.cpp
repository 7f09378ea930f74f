// The profile bar of a running Tavion.exe: a profile added as a copy of "Default", renamed, left
// and taken again with the selector, each time with its own hot keys at once, and deleted;
// "Default" is never offered for renaming or deleting.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "tavion_process.h"

namespace tavion::e2e {
namespace {

// The actions page's controls (ActionsPage: the profile bar from 1000 on, the tree, the toolbar).
enum : int { kSelector = 1001, kAdd, kEdit, kDelete, kTree = 1101, kToolbar = 1103 };

// Waits for the dialog or message box `caption` of `tavion`, types `text` and presses Enter
// (OK, or Yes).
void Answer(TavionProcess& tavion, const wchar_t* caption, const std::wstring& text = L"") {
  HWND dialog = wine_test::WaitForWindow(L"#32770", tavion.Id(), caption);
  ASSERT_NE(nullptr, dialog) << caption;
  // A box of Tavion's while a window of this test is in front may stay behind it.
  ASSERT_TRUE(wine_test::MakeForeground(dialog)) << caption;
  Type(text);
  PressChord({}, VK_RETURN);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
}

// Opens the "Profiles" submenu of the tray menu with the keys. Wine's menu loop may miss keys
// that arrive as it starts: a menu that did not follow them is closed and opened again.
bool OpenTrayProfiles(TavionProcess& tavion, HWND main) {
  const auto menus = [&] { return wine_test::TopLevelWindows(L"#32768", tavion.Id()).size(); };
  for (int attempt = 0; attempt < 3; ++attempt) {
    ClickAt(TrayIconPoint(main).value_or(POINT{}), MOUSEEVENTF_RIGHTDOWN);
    if (!wine_test::WaitForWindow(L"#32768", tavion.Id())) continue;
    // Missed keys leave fewer steps down, never more: no other submenu opens.
    Press({VK_DOWN, VK_DOWN, VK_RIGHT});
    if (WaitUntil([&] { return menus() == 2; }, 2000)) return true;
    // One Escape per open menu: one more would put the main window away.
    for (size_t open = menus(); open > 0; --open) Press({VK_ESCAPE});
    WaitUntil([&] { return menus() == 0; });
  }
  return false;
}

TEST(Profiles, AddedAsACopyRenamedSwitchedWithItsHotKeysAtOnceAndDeleted) {
  // "Default" holds the running check on Ctrl+Shift+F11.
  WriteSetting(L"Keys\\Default\\000", L"Exec", L"tv_beep");
  WriteSetting(L"Keys\\Default\\000\\Key0", L"HKey", 0x7A06);
  TavionProcess tavion;
  HWND main = StartShown(tavion);
  ASSERT_NE(nullptr, main);
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == main; }));
  PressChord({}, VK_HOME);  // the navigation's eighth row: "HotKeys Actions"
  for (int row = 0; row < 7; ++row) PressChord({}, VK_DOWN);
  PressChord({}, VK_RETURN);
  HWND page = GetParent(FindDescendant(main, TOOLBARCLASSNAMEW));
  HWND selector = GetDlgItem(page, kSelector);
  const auto shows = [&](const wchar_t* profile, bool editable, int profiles) {
    return WaitUntil([&] {
      return IsWindowVisible(page) && wine_test::WindowText(selector) == profile &&
             SendMessageW(selector, CB_GETCOUNT, 0, 0) == profiles &&
             IsWindowEnabled(GetDlgItem(page, kDelete)) == editable;
    });
  };

  ASSERT_TRUE(shows(L"Default", false, 1));
  PressButton(page, kAdd);
  Answer(tavion, L"Rename profile", L"Work");
  EXPECT_TRUE(shows(L"Work", true, 2));
  SaveScreenshot("profiles-bar");
  PressButton(page, kEdit);
  Answer(tavion, L"Rename profile", L"Job");
  EXPECT_TRUE(shows(L"Job", true, 2)) << "no \"Work\" left";
  // The copy's one action goes.
  HWND tree = GetDlgItem(page, kTree);
  SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
  PostMessageW(page, WM_COMMAND, 1203, reinterpret_cast<LPARAM>(GetDlgItem(page, kToolbar)));
  Answer(tavion, L"Tavion");

  // "Default" chosen in the selector: its key acts at once.
  const auto choose = [&](int entry) {
    SendMessageW(selector, CB_SETCURSEL, entry, 0);
    PostMessageW(page, WM_COMMAND, MAKEWPARAM(kSelector, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(selector));
  };
  choose(0);
  EXPECT_TRUE(shows(L"Default", false, 2));
  // "Job" and back to "Default" through the tray's "Profiles" menu, its second entry.
  for (const auto& [keys, profile, editable] :
       {std::tuple{std::vector<WORD>{VK_DOWN, VK_RETURN}, L"Job", true},
        std::tuple{std::vector<WORD>{VK_RETURN}, L"Default", false}}) {
    ASSERT_TRUE(OpenTrayProfiles(tavion, main));
    for (WORD key : keys) Press({key});
    EXPECT_TRUE(shows(profile, editable, 2)) << "from the tray";
  }
  PressChord({VK_CONTROL, VK_SHIFT}, VK_F11);
  Answer(tavion, L"Tavion");  // the running check

  // "Job" again: the same key goes on to the window in front.
  choose(1);
  EXPECT_TRUE(shows(L"Job", true, 2));
  wine_test::TestWindow front({.caption = L"front", .style = WS_OVERLAPPEDWINDOW | WS_VISIBLE});
  ASSERT_TRUE(wine_test::MakeForeground(front.hwnd()));
  PressChord({VK_CONTROL, VK_SHIFT}, VK_F11);
  // Ctrl, Shift and F11, which a hot key would have taken.
  EXPECT_TRUE(WaitUntil([&] { return front.Of(WM_KEYDOWN).size() == 3; }));

  PressButton(page, kDelete);
  Answer(tavion, L"Tavion");
  EXPECT_TRUE(shows(L"Default", false, 1));
  ExitConfirmed(tavion, main);
}

}  // namespace
}  // namespace tavion::e2e
