// Tavion.exe as a user meets it: it starts, stays resident with hot keys that run its actions and
// announce them, keeps one instance per user, goes to the tray and leaves its settings behind.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tavion_process.h"

namespace tavion::e2e {
namespace {

DWORD ReadRootInteger(const wchar_t* name) {
  DWORD value = 0xDEADBEEF;
  DWORD size = sizeof value;
  RegGetValueW(HKEY_CURRENT_USER, L"Software\\Quillon\\Tavion", name, RRF_RT_REG_DWORD, nullptr,
               &value, &size);
  return value;
}

// Presses Ctrl+Shift+`key` until a box of the program comes, at most five times; null when none
// came. Under Wine, the activation of a window shown a moment before resets the modifiers that
// were injected just before it, so the first chord after a start can arrive without them.
HWND PressChordUntilBox(TavionProcess& tavion, WORD key) {
  HWND box = nullptr;
  for (int attempt = 0; attempt < 5 && !box; ++attempt) {
    PressChord({VK_CONTROL, VK_SHIFT}, key);
    box = wine_test::WaitForWindow(L"#32770", tavion.Id(), L"Tavion", 2000);
  }
  return box;
}

// The visible notification window of process `pid` when it has exactly one, else null.
HWND OnlyNotification(DWORD pid) {
  const std::vector<HWND> found = wine_test::TopLevelWindows(L"TAVION_NOTIFYWINDOW", pid);
  return found.size() == 1 && IsWindowVisible(found[0]) ? found[0] : nullptr;
}

// The default profile's running check twice (the first execution's notification must free the
// next hot key), its "keep on top" on Alt+F5 announced by one notification that goes by itself,
// then the exit on its chord, which writes the settings.
TEST(Resident, CtrlShiftF11RunsEachTimeAltF5IsAnnouncedAndCtrlShiftF12ExitsWritingTheSettings) {
  WriteSetting(L"Desk", L"Show_Time", 1000);
  TavionProcess tavion;
  HWND main = StartShown(tavion);
  ASSERT_NE(nullptr, main);
  for (int round = 0; round < 2; ++round) {
    HWND box = PressChordUntilBox(tavion, VK_F11);
    ASSERT_NE(nullptr, box) << "the running check, round " << round;
    EXPECT_EQ(L"Tavion 1.0 - running.", StaticText(box));
    PressButton(box, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
  }
  SaveScreenshot("resident-main-window");

  wine_test::TestWindow front({.caption = L"front", .style = WS_OVERLAPPEDWINDOW | WS_VISIBLE});
  ASSERT_TRUE(wine_test::MakeForeground(front.hwnd()));
  PressChord({VK_MENU}, VK_F5);
  // The running check's notification may still show: the one window takes the new text.
  HWND osd = nullptr;
  ASSERT_TRUE(WaitUntil([&] {
    osd = OnlyNotification(tavion.Id());
    return osd && wine_test::WindowText(osd).find(L"Alt + F5") != std::wstring::npos;
  }));
  EXPECT_TRUE(WaitUntil([&] {
    return (GetWindowLongPtrW(front.hwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
  })) << "the action ran";
  SaveScreenshot("osd-action");
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(osd); })) << "faded out and destroyed";

  HWND box = PressChordUntilBox(tavion, VK_F12);
  ASSERT_NE(nullptr, box);
  EXPECT_EQ(L"Are you sure you want to close program?", StaticText(box));
  PressButton(box, IDYES);
  ASSERT_EQ(std::optional<DWORD>(0), tavion.WaitForExit());
  EXPECT_NE(0xDEADBEEF, ReadRootInteger(L"_FLeft")) << "the settings were written";
}

TEST(Resident, ASecondStartHandsOverToTheRunningInstanceAlsoWhenThatOneWasRestarted) {
  // A restart ("/lr") starts while the old instance still runs, and keeps the claim it leaves.
  TavionProcess old;
  HWND oldMain = StartShown(old);
  ASSERT_NE(nullptr, oldMain);
  TavionProcess first;
  HWND main = StartShown(first, L"/lr");
  ASSERT_NE(nullptr, main);
  ExitConfirmed(old, oldMain);

  SendMessageW(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(main); })) << "minimised to the tray";

  TavionProcess second;
  ASSERT_TRUE(second.Start());
  EXPECT_EQ(std::optional<DWORD>(0), second.WaitForExit());
  EXPECT_EQ(0u, wine_test::TopLevelWindows(L"TAVION_ROOTWINDOW", second.Id()).size());
  EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != FALSE; }))
      << "the running instance comes back from the tray";
  ExitConfirmed(first, main);
}

TEST(Resident, PreKillEndsAtOnceWritingNothing) {
  TavionProcess tavion;
  ASSERT_TRUE(tavion.Start(L"/pre_kill"));
  EXPECT_EQ(std::optional<DWORD>(0), tavion.WaitForExit());
  EXPECT_EQ(0xDEADBEEF, ReadRootInteger(L"_FLeft")) << "nothing was written";
}

TEST(Resident, MinimizeOnCloseKeepsTheTitleBarCloseInTheTrayWhileExitExits) {
  WriteSetting(L"", L"MinOnExit", 1);
  WriteSetting(L"", L"AskOnExit", 0);
  TavionProcess tavion;
  HWND main = StartShown(tavion);
  ASSERT_NE(nullptr, main);

  PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(main); }));
  DWORD_PTR ignored = 0;
  EXPECT_NE(0, SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored))
      << "the close is over and the program still runs, in the tray";

  // The tray icon's right click opens its menu on the button's release; "Exit" is its last entry.
  PostMessageW(main, 0x40B /*WM_TV_TRAY*/, 1, WM_RBUTTONUP);
  ASSERT_TRUE(WaitUntil([] { return FindWindowW(L"#32768", nullptr) != nullptr; }));
  SaveScreenshot("resident-tray-menu");
  PressChord({}, VK_UP);
  PressChord({}, VK_RETURN);
  EXPECT_EQ(std::optional<DWORD>(0), tavion.WaitForExit());
}

TEST(Resident, AutorunGoesStraightToTheTrayAndLogoffSavesWithoutAsking) {
  TavionProcess tavion;
  ASSERT_TRUE(tavion.Start(L"/A"));
  HWND main = tavion.WaitForMainWindow();
  ASSERT_NE(nullptr, main);
  HWND box = PressChordUntilBox(tavion, VK_F11);
  ASSERT_NE(nullptr, box) << "hot keys work from the tray";
  PressButton(box, IDOK);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
  EXPECT_FALSE(IsWindowVisible(main));

  // The window keeps at least its minimum size, which exceeds the stored width at high DPI.
  RECT place = {};
  ASSERT_TRUE(GetWindowRect(main, &place));
  EXPECT_EQ(TRUE, SendMessageW(main, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF));
  EXPECT_EQ(std::optional<DWORD>(0), tavion.WaitForExit());
  const int expectedLeft = (GetSystemMetrics(SM_CXSCREEN) - (place.right - place.left)) / 2;
  EXPECT_EQ(static_cast<DWORD>(expectedLeft), ReadRootInteger(L"_FLeft"))
      << "never shown: the centred left, not the place beyond the screen edge";
}

}  // namespace
}  // namespace tavion::e2e
