// The notification as a user sees it: a hot key brings one window of class "TAVION_NOTIFYWINDOW"
// with the action's name and hot key; it fades in, stays, fades out and goes.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "actions/action.h"
#include "keys/hotkey.h"
#include "screenshot.h"
#include "tavion_process.h"
#include "user_setup.h"

namespace tavion::e2e {
namespace {

using namespace std::chrono_literals;

constexpr wchar_t kOsdClass[] = L"TAVION_NOTIFYWINDOW";

struct OsdSearch {
  DWORD pid;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectOsdWindow(HWND window, LPARAM data) {
  auto* search = reinterpret_cast<OsdSearch*>(data);
  wchar_t name[64] = {};
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == search->pid && GetClassNameW(window, name, 64) && std::wstring(name) == kOsdClass)
    search->found.push_back(window);
  return TRUE;
}

// Every window of the notification class that process `pid` owns (shown or not).
std::vector<HWND> OsdWindows(DWORD pid) {
  OsdSearch search{pid, {}};
  EnumWindows(CollectOsdWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND VisibleOsd(DWORD pid) {
  for (HWND window : OsdWindows(pid))
    if (IsWindowVisible(window)) return window;
  return nullptr;
}

// A profile with "keep on top" ("wm_wtop", for the test's window) on Ctrl+Alt+N and, on
// Ctrl+Alt+M, typing a file that does not exist.
void WriteProfile() {
  TActionsList list;
  TAction& top = list.Add();
  top.SetName("Keep the window on top");
  top.SetExec("wm_wtop");
  top.Key0().SetHKey(PackHotKey('N', 0, 0, kModCtrl | kModAlt));
  TAction& missing = list.Add();
  missing.SetName("Type a missing file");
  missing.SetExec("mc_text");
  missing.Key0().SetHKey(PackHotKey('M', 0, 0, kModCtrl | kModAlt));
  if (auto* params = missing.ParamsAs<TActionParamsMacrText>()) {
    params->Mode = 1;
    params->FileName = "C:\\no such folder\\missing.txt";
  }
  SaveCurrentProfile(list);
}

// A plain window of the test in front, for the window action to work on.
class FrontWindow {
 public:
  FrontWindow() {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TavionE2EFront";
    RegisterClassW(&wc);
    hwnd_ = CreateWindowExW(0, wc.lpszClassName, L"front", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 200,
                            200, 300, 200, nullptr, nullptr, wc.hInstance, nullptr);
    SetForegroundWindow(hwnd_);
  }
  ~FrontWindow() { DestroyWindow(hwnd_); }

 private:
  HWND hwnd_ = nullptr;
};

class OsdTest : public testing::Test {
 protected:
  HWND Start(DWORD showTime) {
    WriteProfile();
    WriteSetting(L"Desk", L"Show_Time", showTime);
    HWND main = StartShown(tavion_);
    if (main) {
      // Out of the way: the notifications appear over the tray, not over the main window.
      SendMessageW(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
      PumpMessagesFor(200ms);
    }
    return main;
  }

  TavionProcess tavion_;
  FrontWindow front_;
};

TEST_F(OsdTest, AHotKeyShowsOneNotificationThatFadesInStaysFadesOutAndGoes) {
  HWND main = Start(3000);
  ASSERT_NE(nullptr, main);
  const auto pressed = std::chrono::steady_clock::now();
  PressChord({VK_CONTROL, VK_MENU}, 'N');
  HWND osd = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (osd = VisibleOsd(tavion_.Id())) != nullptr; }));
  const auto shown = std::chrono::steady_clock::now();
  std::printf("hot key to visible notification: %lld ms\n",
              static_cast<long long>(
                  std::chrono::duration_cast<std::chrono::milliseconds>(shown - pressed).count()));
  const std::wstring text = WindowText(osd);
  EXPECT_NE(std::wstring::npos, text.find(L"Keep the window on top")) << text;
  EXPECT_NE(std::wstring::npos, text.find(L"Ctrl + Alt + N")) << text;
  EXPECT_EQ(1u, OsdWindows(tavion_.Id()).size());
  PumpMessagesFor(900ms);  // faded in by now
  EXPECT_TRUE(IsWindow(osd)) << "it stays for its time";
  SaveScreenshot("osd-action-lower-left");

  EXPECT_TRUE(WaitUntil([&] { return OsdWindows(tavion_.Id()).empty(); }, 10s))
      << "faded out and destroyed";
  ExitConfirmed(tavion_, main);
}

TEST_F(OsdTest, ASecondNotificationReusesTheWindowAndAClickEndsIt) {
  HWND main = Start(10000);
  ASSERT_NE(nullptr, main);
  PressChord({VK_CONTROL, VK_MENU}, 'N');
  HWND osd = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (osd = VisibleOsd(tavion_.Id())) != nullptr; }));
  PumpMessagesFor(300ms);
  PressChord({VK_CONTROL, VK_MENU}, 'N');
  PumpMessagesFor(500ms);
  EXPECT_TRUE(IsWindow(osd)) << "the same window, never destroyed in between";
  EXPECT_EQ(std::vector<HWND>{osd}, OsdWindows(tavion_.Id()));

  RECT r;
  ASSERT_TRUE(GetWindowRect(osd, &r));
  INPUT click[3] = {};
  for (INPUT& input : click) input.type = INPUT_MOUSE;
  click[0].mi.dx = MulDiv((r.left + r.right) / 2, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
  click[0].mi.dy = MulDiv((r.top + r.bottom) / 2, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
  click[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  click[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  click[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(3, click, sizeof(INPUT));
  EXPECT_TRUE(WaitUntil([&] { return OsdWindows(tavion_.Id()).empty(); }, 5s))
      << "a click ends it long before its 10 s";
  ExitConfirmed(tavion_, main);
}

TEST_F(OsdTest, ShowTimeZeroFadesInAndStraightOut) {
  HWND main = Start(0);
  ASSERT_NE(nullptr, main);
  PressChord({VK_CONTROL, VK_MENU}, 'N');
  ASSERT_TRUE(WaitUntil([&] { return VisibleOsd(tavion_.Id()) != nullptr; }));
  EXPECT_TRUE(WaitUntil([&] { return OsdWindows(tavion_.Id()).empty(); }, 4s));
  ExitConfirmed(tavion_, main);
}

TEST_F(OsdTest, ALockKeyShowsItsState) {
  WriteSetting(L"Desk", L"DPosition", 2);  // upper right
  HWND main = Start(3000);
  ASSERT_NE(nullptr, main);
  PressChord({}, VK_CAPITAL);
  HWND osd = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (osd = VisibleOsd(tavion_.Id())) != nullptr; }));
  // The test's window is in front and has seen the press, as the user's program would.
  PumpMessagesFor(100ms);
  const bool on = (GetKeyState(VK_CAPITAL) & 1) != 0;
  const std::wstring text = WindowText(osd);
  EXPECT_NE(std::wstring::npos, text.find(on ? L"YES" : L"NO")) << text << " test sees " << on;
  EXPECT_NE(std::wstring::npos, text.find(L" on:")) << text;
  PumpMessagesFor(900ms);
  SaveScreenshot("osd-lock-key-upper-right");
  PressChord({}, VK_CAPITAL);  // back as it was
  ExitConfirmed(tavion_, main);
}

TEST_F(OsdTest, WithTheDisplayOffAFailedActionComesAsAMessageBox) {
  WriteSetting(L"Desk", L"Desk_Enbl", 0);
  HWND main = Start(1000);
  ASSERT_NE(nullptr, main);
  PressChord({VK_CONTROL, VK_MENU}, 'M');
  HWND box = WaitForBox(tavion_.Id());
  ASSERT_NE(nullptr, box);
  EXPECT_EQ(L"File not found - C:\\no such folder\\missing.txt", StaticText(box));
  EXPECT_TRUE(OsdWindows(tavion_.Id()).empty());
  PressButton(box, IDOK);
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
  ExitConfirmed(tavion_, main);
}

TEST_F(OsdTest, ClosingTheProgramEndsANotificationOnScreen) {
  HWND main = Start(10000);
  ASSERT_NE(nullptr, main);
  PressChord({VK_CONTROL, VK_MENU}, 'N');
  ASSERT_TRUE(WaitUntil([&] { return VisibleOsd(tavion_.Id()) != nullptr; }));
  ExitConfirmed(tavion_, main);
}

}  // namespace
}  // namespace tavion::e2e
