// Tavion.exe as a resident program: one instance per user, hot keys that run its own actions,
// the exit question, the settings it leaves behind, and the start-up questions.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "screenshot.h"
#include "settings/reg_export_win.h"
#include "tavion_process.h"
#include "user_setup.h"

namespace tavion::e2e {
namespace {

using namespace std::chrono_literals;

constexpr wchar_t kRoot[] = L"Software\\Quillon\\Tavion";

std::vector<std::wstring> RootValueNames() {
  std::vector<std::wstring> names;
  HKEY key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kRoot, 0, KEY_READ, &key) != ERROR_SUCCESS) return names;
  for (DWORD i = 0;; ++i) {
    wchar_t name[256];
    DWORD length = 256;
    if (RegEnumValueW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    names.emplace_back(name, length);
  }
  RegCloseKey(key);
  return names;
}

// The registry file of the settings root, as UTF-8 text.
std::string ExportSettings() {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring file = std::wstring(temp) + L"tavion-e2e-export.reg";
  if (!ExportRegKey(file, HKEY_CURRENT_USER, "Software\\Quillon\\Tavion", /*recurse=*/true,
                    /*deleteFirst=*/false))
    return {};
  std::ifstream in(std::filesystem::path(file), std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  DeleteFileW(file.c_str());
  const std::string raw = bytes.str();
  // UTF-16LE with a byte-order mark; the settings are ASCII.
  std::string text;
  for (size_t i = 2; i + 1 < raw.size(); i += 2) text += raw[i];
  return text;
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

TEST(Resident, CtrlShiftF11OfTheDefaultProfileShowsTheRunningCheck) {
  TavionProcess tavion;
  HWND main = StartShown(tavion);
  ASSERT_NE(nullptr, main);
  SaveScreenshot("resident-main-window");

  HWND box = PressChordUntilBox(tavion, VK_F11);
  ASSERT_NE(nullptr, box) << "the default profile has the running check on Ctrl+Shift+F11";
  EXPECT_EQ(L"Tavion 1.0 - running.", StaticText(box));
  SaveScreenshot("resident-running-check");
  PressButton(box, IDOK);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box); }));

  ExitConfirmed(tavion, main);
}

TEST(Resident, CtrlShiftF12AsksAndExitsWritingTheSettings) {
  TavionProcess tavion;
  HWND main = StartShown(tavion);
  ASSERT_NE(nullptr, main);

  HWND box = PressChordUntilBox(tavion, VK_F12);
  ASSERT_NE(nullptr, box);
  EXPECT_EQ(L"Are you sure you want to close program?", StaticText(box));
  SaveScreenshot("resident-exit-question");
  PressButton(box, IDYES);
  ASSERT_EQ(std::optional<DWORD>(0), tavion.WaitForExit());

  const std::string exported = ExportSettings();
  for (const char* line :
       {"\"KERNEL\"=\"4B.0(SOLID)\"", "\"VER\"=\"1.0.0.1\"", "\"ThirstRun\"=dword:00000000",
        "\"TrayIcon\"=dword:00000001", "\"AskOnExit\"=dword:00000001",
        "\"Mod_Proc\"=dword:00000000",
        "\"WAmp_Path\"=\"C:\\\\Program Files\\\\Winamp\\\\Winamp.exe\"", "\"_FWidth\"=dword:",
        "\"Shadow\"=dword:00000001", "\"Font_Name\"=\"Verdana\"", "\"Show_Time\"=dword:000009c4",
        "\"AlphaVal\"=dword:000000dc", "\"LastUpdate\"=hex:", "\"ProfileNm\"=\"Default\""}) {
    EXPECT_NE(std::string::npos, exported.find(line)) << line << "\n" << exported;
  }
  for (const char* never : {"\"Priority\"", "\"TR_upkeys_list\"", "\"ClearRawMouseDevice\""})
    EXPECT_EQ(std::string::npos, exported.find(never)) << never << " is read only";
  EXPECT_EQ(std::string::npos, exported.find("Keys\\Default"))
      << "the default profile is only written once it has been edited";
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

TEST(Resident, PreKillEndsAtOnce) {
  TavionProcess tavion;
  ASSERT_TRUE(tavion.Start(L"/pre_kill"));
  EXPECT_EQ(std::optional<DWORD>(0), tavion.WaitForExit());
  EXPECT_TRUE(RootValueNames().empty()) << "nothing was written";
}

TEST(Resident, AnotherSettingsVersionAsksAndCancelEndsBeforeAnyWindow) {
  WriteSetting(L"", L"KERNEL", L"4A.0");
  WriteSetting(L"", L"Beep_Enab", 0);
  TavionProcess tavion;
  ASSERT_TRUE(tavion.Start());
  HWND box = WaitForBox(tavion.Id());
  ASSERT_NE(nullptr, box);
  const std::wstring text = StaticText(box);
  EXPECT_NE(std::wstring::npos, text.find(L"kernel - 4A.0 are found"));
  EXPECT_NE(std::wstring::npos, text.find(L"other version of a kernel - 4B.0(SOLID)."));
  EXPECT_EQ(nullptr, FindProcessWindow(tavion.Id(), L"TAVION_ROOTWINDOW", nullptr));
  SaveScreenshot("resident-kernel-conflict");
  PressButton(box, IDCANCEL);
  EXPECT_EQ(std::optional<DWORD>(0), tavion.WaitForExit());
  EXPECT_EQ((std::vector<std::wstring>{L"Beep_Enab", L"KERNEL"}), RootValueNames());
}

TEST(Resident, AnotherSettingsVersionAnsweredYesLeavesOnlyTheVersion) {
  WriteSetting(L"", L"KERNEL", L"4A.0");
  WriteSetting(L"Desk", L"Show_Time", 100);
  TavionProcess tavion;
  ASSERT_TRUE(tavion.Start());
  HWND box = WaitForBox(tavion.Id());
  ASSERT_NE(nullptr, box);
  PressButton(box, IDYES);
  HWND main = tavion.WaitForMainWindow();
  ASSERT_NE(nullptr, main);
  EXPECT_EQ(std::vector<std::wstring>{L"VER"}, RootValueNames());
  HKEY desk;
  EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Quillon\\Tavion\\Desk", 0,
                                         KEY_READ, &desk))
      << "every sub-key went with the old settings";
  tavion.Kill();
}

TEST(Resident, MinimizeOnCloseKeepsTheTitleBarCloseInTheTrayWhileExitExits) {
  WriteSetting(L"", L"MinOnExit", 1);
  WriteSetting(L"", L"AskOnExit", 0);
  TavionProcess tavion;
  HWND main = StartShown(tavion);
  ASSERT_NE(nullptr, main);

  PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(main); }));
  PumpMessagesFor(300ms);
  EXPECT_FALSE(tavion.WaitForExit(100ms).has_value()) << "still running, in the tray";

  // The tray icon's right click opens its menu; "Exit" is its last entry.
  PostMessageW(main, 0x40B /*WM_TV_TRAY*/, 1, WM_RBUTTONUP);
  HWND menu = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (menu = FindWindowW(L"#32768", nullptr)) != nullptr; }));
  SaveScreenshot("resident-tray-menu");
  PressChord({}, VK_UP);
  PressChord({}, VK_RETURN);
  EXPECT_EQ(std::optional<DWORD>(0), tavion.WaitForExit());
}

DWORD ReadRootInteger(const wchar_t* name) {
  DWORD value = 0xDEADBEEF;
  DWORD size = sizeof value;
  RegGetValueW(HKEY_CURRENT_USER, kRoot, name, RRF_RT_REG_DWORD, nullptr, &value, &size);
  return value;
}

// Asks for the running check and waits for its box; true when it came. A window that was never
// shown tells nothing about the hooks, so the question is asked again while no box comes.
bool RunningCheckAnswers(TavionProcess& tavion) {
  HWND box = PressChordUntilBox(tavion, VK_F11);
  if (!box) return false;
  PressButton(box, IDOK);
  return WaitUntil([&] { return !IsWindow(box); });
}

struct BoxQuery {
  DWORD pid;
  const std::wstring& text;
  HWND found;
};

BOOL CALLBACK MatchBox(HWND window, LPARAM data) {
  auto* query = reinterpret_cast<BoxQuery*>(data);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  wchar_t name[16] = {};
  GetClassNameW(window, name, 16);
  if (owner != query->pid || std::wstring(name) != L"#32770" || StaticText(window) != query->text)
    return TRUE;
  query->found = window;
  return FALSE;
}

// The message box of process `pid` whose message is `text`, while other boxes may be open too.
HWND WaitForBoxSaying(DWORD pid, const std::wstring& text) {
  BoxQuery query{pid, text, nullptr};
  WaitUntil([&] {
    EnumWindows(MatchBox, reinterpret_cast<LPARAM>(&query));
    return query.found != nullptr;
  });
  return query.found;
}

// After the running check, while its notification is still up: the running check again, then
// the exit. The second box may open while its notification is being shown; it must not hold
// back the hot key that follows. Whether it opens there depends on timing, so a few rounds, each
// a second after the last box as a user would press, when the notification is steady.
TEST(Resident, AHotKeyAfterTheRunningCheckAgainRunsWhileItsBoxIsOpen) {
  TavionProcess tavion;
  HWND main = StartShown(tavion);
  ASSERT_NE(nullptr, main);
  ASSERT_TRUE(RunningCheckAnswers(tavion));

  for (int round = 0; round < 3; ++round) {
    PumpMessagesFor(1s);
    PressChord({VK_CONTROL, VK_SHIFT}, VK_F11);
    HWND running = WaitForBoxSaying(tavion.Id(), L"Tavion 1.0 - running.");
    ASSERT_NE(nullptr, running) << round;
    PressChord({VK_CONTROL, VK_SHIFT}, VK_F12);
    HWND exit = WaitForBoxSaying(tavion.Id(), L"Are you sure you want to close program?");
    ASSERT_NE(nullptr, exit) << "the exit hot key after the box ran, round " << round;
    PressButton(exit, IDNO);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(exit); }));
    PressButton(running, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(running); }));
  }
  ExitConfirmed(tavion, main);
}

TEST(Resident, AutorunStartGoesStraightToTheTrayAndSavesACentredLeft) {
  TavionProcess tavion;
  ASSERT_TRUE(tavion.Start(L"/A"));
  HWND main = tavion.WaitForMainWindow();
  ASSERT_NE(nullptr, main);
  ASSERT_TRUE(RunningCheckAnswers(tavion)) << "hot keys work from the tray";
  EXPECT_FALSE(IsWindowVisible(main));

  // Windows logging off: no question, the settings are written.
  EXPECT_EQ(TRUE, SendMessageW(main, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF));
  EXPECT_EQ(std::optional<DWORD>(0), tavion.WaitForExit());
  const int expectedLeft = (GetSystemMetrics(SM_CXSCREEN) - 650) / 2;
  EXPECT_EQ(static_cast<DWORD>(expectedLeft), ReadRootInteger(L"_FLeft"))
      << "never shown: the centred left, not the place beyond the screen edge";
}

TEST(Resident, AnsweringNoToTheExitQuestionKeepsTheProgramAndItsHotKeys) {
  TavionProcess tavion;
  HWND main = StartShown(tavion);
  ASSERT_NE(nullptr, main);
  PostMessageW(main, WM_CLOSE, 0, 0);
  HWND box = WaitForBox(tavion.Id());
  ASSERT_NE(nullptr, box);

  // Until the answer the program is not closing: its hot keys still run their actions.
  PressChord({VK_CONTROL, VK_SHIFT}, VK_F11);
  HWND check = nullptr;
  ASSERT_TRUE(WaitUntil([&] {
    for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, L"#32770", L"Tavion"));)
      if (w != box) check = w;
    return check != nullptr;
  })) << "the running check while the exit question is open";
  EXPECT_EQ(L"Tavion 1.0 - running.", StaticText(check));
  PressButton(check, IDOK);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(check); }));

  PressButton(box, IDNO);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
  EXPECT_FALSE(tavion.WaitForExit(300ms).has_value());
  EXPECT_TRUE(RunningCheckAnswers(tavion));
  EXPECT_EQ(0xDEADBEEF, ReadRootInteger(L"_FLeft")) << "nothing saved";
  ExitConfirmed(tavion, main);
}

}  // namespace
}  // namespace tavion::e2e
