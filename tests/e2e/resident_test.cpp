// Tavion.exe as a user meets it: it starts, stays resident with hot keys that run its own
// actions, keeps one instance per user, goes to the tray and leaves its settings behind.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "screenshot.h"
#include "tavion_process.h"
#include "user_setup.h"

namespace tavion::e2e {
namespace {

using namespace std::chrono_literals;

constexpr wchar_t kRoot[] = L"Software\\Quillon\\Tavion";

DWORD ReadRootInteger(const wchar_t* name) {
  DWORD value = 0xDEADBEEF;
  DWORD size = sizeof value;
  RegGetValueW(HKEY_CURRENT_USER, kRoot, name, RRF_RT_REG_DWORD, nullptr, &value, &size);
  return value;
}

// Presses Ctrl+Shift+`key` until a box of the program comes, at most five times; null when none
// came. Under Wine, the activation of a window shown a moment before resets the modifiers that
// were injected just before it, so the first chord after a start can arrive without them.
HWND PressChordUntilBox(TavionProcess& tavion, WORD key) {
  HWND box = nullptr;
  for (int attempt = 0; attempt < 5 && !box; ++attempt) {
    PressChord({VK_CONTROL, VK_SHIFT}, key);
    box = WaitForBox(tavion.Id(), 2s);
  }
  return box;
}

// The running check twice (the first execution's notification must free the next hot key),
// then the exit on its chord, which writes the settings.
TEST(Resident, CtrlShiftF11RunsEachTimeAndCtrlShiftF12ExitsWritingTheSettings) {
  TavionProcess tavion;
  HWND main = StartShown(tavion);
  ASSERT_NE(nullptr, main);
  for (int round = 0; round < 2; ++round) {
    HWND box = PressChordUntilBox(tavion, VK_F11);
    ASSERT_NE(nullptr, box) << "the default profile's running check, round " << round;
    EXPECT_EQ(L"Tavion 1.0 - running.", StaticText(box));
    PressButton(box, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
  }
  SaveScreenshot("resident-main-window");
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
  EXPECT_EQ(nullptr, FindProcessWindow(second.Id(), L"TAVION_ROOTWINDOW", nullptr));
  EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != FALSE; }))
      << "the running instance comes back from the tray";
  ExitConfirmed(first, main);
}

TEST(Resident, PreKillEndsAtOnceWritingNothing) {
  TavionProcess tavion;
  ASSERT_TRUE(tavion.Start(L"/pre_kill"));
  EXPECT_EQ(std::optional<DWORD>(0), tavion.WaitForExit());
  HKEY key = nullptr;
  DWORD values = 0;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kRoot, 0, KEY_READ, &key) == ERROR_SUCCESS) {
    RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr,
                     nullptr, nullptr, nullptr);
    RegCloseKey(key);
  }
  EXPECT_EQ(0u, values) << "nothing was written";
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

  EXPECT_EQ(TRUE, SendMessageW(main, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF));
  EXPECT_EQ(std::optional<DWORD>(0), tavion.WaitForExit());
  const int expectedLeft = (GetSystemMetrics(SM_CXSCREEN) - 650) / 2;
  EXPECT_EQ(static_cast<DWORD>(expectedLeft), ReadRootInteger(L"_FLeft"))
      << "never shown: the centred left, not the place beyond the screen edge";
}

}  // namespace
}  // namespace tavion::e2e
