// The "wm_" codes and "ms_wmsg" through the dispatcher, against windows of this program and of
// Wine's Notepad.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "action_windows.h"
#include "actions/params.h"
#include "exec/dispatcher.h"
#include "exec/window_actions.h"
#include "settings/settings.h"
#include "exec/main_messages.h"

namespace windows_test {
namespace {

using exec_test::PumpUntil;
using tavion::TActionParamsMode;

// Lets posted messages arrive.
void Settle() {
  PumpUntil([] { return false; }, 100);
}

bool Topmost(HWND window) {
  return (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

TEST_F(WindowActionsTest, StayOnTopTogglesTopmostWithoutMovingTheWindow) {
  TestWindow window;
  ASSERT_TRUE(MakeForeground(window.hwnd()));
  RECT before{};
  GetWindowRect(window.hwnd(), &before);
  Run("wm_wtop");
  EXPECT_TRUE(Topmost(window.hwnd()));
  Run("wm_wtop");
  EXPECT_FALSE(Topmost(window.hwnd()));
  RECT after{};
  GetWindowRect(window.hwnd(), &after);
  EXPECT_TRUE(EqualRect(&before, &after));
  EXPECT_EQ(2u, mainWindow.Of(tavion::WM_TV_NOTIFY).size());
}

TEST_F(WindowActionsTest, MaximizeThenRestore) {
  TestWindow window;
  ASSERT_TRUE(MakeForeground(window.hwnd()));
  Run("wm_wmax");
  EXPECT_TRUE(PumpUntil([&] { return IsZoomed(window.hwnd()) != FALSE; }, 2000));
  Run("wm_wmax");
  EXPECT_TRUE(PumpUntil([&] { return !IsZoomed(window.hwnd()); }, 2000));
  const std::vector<Message> commands = window.Of(WM_SYSCOMMAND);
  ASSERT_GE(commands.size(), 2u);
  EXPECT_EQ(static_cast<WPARAM>(SC_MAXIMIZE), commands[0].wParam);
  EXPECT_EQ(static_cast<WPARAM>(SC_RESTORE), commands.back().wParam);
}

TEST_F(WindowActionsTest, MinimizeOnlyAWindowThatCanBeMinimized) {
  TestWindow window;
  ASSERT_TRUE(MakeForeground(window.hwnd()));
  Run("wm_wmin");
  EXPECT_TRUE(PumpUntil([&] { return IsIconic(window.hwnd()) != FALSE; }, 2000));

  // Without a window menu there is nothing to ask: the window is left alone.
  TestWindow noMenu({.caption = L"No menu", .style = WS_POPUP | WS_VISIBLE});
  ASSERT_TRUE(MakeForeground(noMenu.hwnd()));
  Run("wm_wmin");
  Settle();
  EXPECT_FALSE(IsIconic(noMenu.hwnd()));
  EXPECT_TRUE(noMenu.Of(WM_SYSCOMMAND).empty());
}

TEST_F(WindowActionsTest, CentreMovesToTheScreenMiddleButNotAMaximizedWindow) {
  TestWindow window({.x = 10, .y = 20, .width = 301, .height = 201});
  ASSERT_TRUE(MakeForeground(window.hwnd()));
  Run("wm_wctr");
  RECT rect{};
  GetWindowRect(window.hwnd(), &rect);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN) / 2 - 150, rect.left);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN) / 2 - 100, rect.top);
  EXPECT_EQ(301, rect.right - rect.left);
  EXPECT_EQ(201, rect.bottom - rect.top);

  TestWindow maximized({.style = WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_MAXIMIZE});
  ASSERT_TRUE(MakeForeground(maximized.hwnd()));
  ASSERT_TRUE(IsZoomed(maximized.hwnd()));
  RECT before{};
  GetWindowRect(maximized.hwnd(), &before);
  Run("wm_wctr");
  RECT after{};
  GetWindowRect(maximized.hwnd(), &after);
  EXPECT_TRUE(EqualRect(&before, &after));
}

TEST_F(WindowActionsTest, CloseAsksTheWindowToClose) {
  TestWindow window;
  ASSERT_TRUE(MakeForeground(window.hwnd()));
  const HWND handle = window.hwnd();
  Run("wm_wclz");
  EXPECT_TRUE(PumpUntil([&] { return !IsWindow(handle); }, 2000));
}

TEST_F(WindowActionsTest, ShowHideBringsBackTheSameWindowWhateverIsInFront) {
  TestWindow first({.caption = L"First"});
  TestWindow second({.caption = L"Second", .x = 300});
  ASSERT_TRUE(MakeForeground(first.hwnd()));
  Run("wm_s/\\h");
  EXPECT_TRUE(PumpUntil([&] { return !IsWindowVisible(first.hwnd()); }, 2000));
  EXPECT_EQ(reinterpret_cast<uintptr_t>(first.hwnd()), tavion::Settings().HiddenWindow);

  ASSERT_TRUE(MakeForeground(second.hwnd()));
  Run("wm_s/\\h");
  EXPECT_TRUE(PumpUntil([&] { return GetForegroundWindow() == first.hwnd(); }, 2000));
  EXPECT_TRUE(IsWindowVisible(first.hwnd()));
  EXPECT_TRUE(IsWindowVisible(second.hwnd()));
  EXPECT_EQ(0u, tavion::Settings().HiddenWindow);
  EXPECT_EQ(first.hwnd(), raised);  // the program's way to the front
}

TEST_F(WindowActionsTest, ShowHideForgetsAHiddenWindowThatIsGone) {
  TestWindow window;
  ASSERT_TRUE(MakeForeground(window.hwnd()));
  tavion::Settings().HiddenWindow = 0x7FFF0;  // no window has this handle
  Run("wm_s/\\h");
  EXPECT_TRUE(PumpUntil([&] { return !IsWindowVisible(window.hwnd()); }, 2000));
  EXPECT_EQ(reinterpret_cast<uintptr_t>(window.hwnd()), tavion::Settings().HiddenWindow);
}

TEST_F(WindowActionsTest, TransparencyStepsAndIsClampedToTheSettings) {
  TestWindow window;
  ASSERT_TRUE(MakeForeground(window.hwnd()));
  tavion::Settings().Blend_VMin = 50;
  tavion::Settings().Blend_VMax = 255;
  const auto key = reinterpret_cast<uintptr_t>(window.hwnd());

  Run<tavion::TActionParamsAlfa>(
      "wm_alfa", TActionParamsMode::pmAlfa,
      [](tavion::TActionParamsAlfa& p) { p.Mode = tavion::kAlphaLower; });
  EXPECT_NE(0, GetWindowLongPtrW(window.hwnd(), GWL_EXSTYLE) & WS_EX_LAYERED);
  EXPECT_EQ(235, tavion::TransparentWindows().AlphaOf(key));
  for (int i = 0; i < 12; ++i) RunIndex(0);
  EXPECT_EQ(50, tavion::TransparentWindows().AlphaOf(key));

  Run<tavion::TActionParamsAlfa>(
      "wm_alfa", TActionParamsMode::pmAlfa,
      [](tavion::TActionParamsAlfa& p) { p.Mode = tavion::kAlphaRaise; });
  EXPECT_EQ(70, tavion::TransparentWindows().AlphaOf(key));

  Run<tavion::TActionParamsAlfa>("wm_alfa", TActionParamsMode::pmAlfa,
                                 [](tavion::TActionParamsAlfa& p) {
                                   p.Mode = tavion::kAlphaSet;
                                   p.Value = 300;
                                 });
  EXPECT_EQ(255, tavion::TransparentWindows().AlphaOf(key));

  tavion::Settings().Blend_VMax = 180;
  RunIndex(static_cast<int>(actions.Count() - 1));
  EXPECT_EQ(180, tavion::TransparentWindows().AlphaOf(key));
}

TEST_F(WindowActionsTest, ShellWindowInFrontRefusesWindowCodes) {
  TestWindow taskBar(
      {.className = L"Shell_TrayWnd", .caption = L"", .style = WS_POPUP | WS_VISIBLE});
  ASSERT_TRUE(MakeForeground(taskBar.hwnd()));
  for (const char* code : {"wm_wtop", "wm_wmin", "wm_wclz", "wm_alfa"}) {
    Run(code);
    const auto notes = mainWindow.Of(tavion::WM_TV_NOTIFY);
    ASSERT_FALSE(notes.empty()) << code;
    EXPECT_EQ(tavion::kShellWindowError, notes.back().result.notifyText) << code;
  }
  Settle();
  EXPECT_TRUE(IsWindow(taskBar.hwnd()));
  EXPECT_FALSE(Topmost(taskBar.hwnd()));
  EXPECT_TRUE(taskBar.Of(WM_SYSCOMMAND).empty());
  EXPECT_EQ(std::nullopt,
            tavion::TransparentWindows().AlphaOf(reinterpret_cast<uintptr_t>(taskBar.hwnd())));
}

TEST_F(WindowActionsTest, ShowHideNeverHidesTheShellWhenTheHiddenWindowIsGone) {
  TestWindow taskBar(
      {.className = L"Shell_TrayWnd", .caption = L"", .style = WS_POPUP | WS_VISIBLE});
  ASSERT_TRUE(MakeForeground(taskBar.hwnd()));
  tavion::Settings().HiddenWindow = 0x7FFF0;  // no window has this handle
  Run("wm_s/\\h");
  EXPECT_TRUE(IsWindowVisible(taskBar.hwnd()));
  const auto notes = mainWindow.Of(tavion::WM_TV_NOTIFY);
  ASSERT_EQ(1u, notes.size());
  EXPECT_EQ("", notes[0].result.notifyText);
  // Forgotten, it no longer lets the code through over the shell.
  EXPECT_EQ(0u, tavion::Settings().HiddenWindow);
}

// "ms_wmsg" posts WM_APP + 7 with 5 and -3.
void SetMessage(tavion::TActionParamsSMsg& p) {
  p.SMsg = WM_APP + 7;
  p.Wprm = 5;
  p.Lprm = -3;
}

TEST_F(WindowActionsTest, MessageGoesToTheNamedOrForegroundWindow) {
  TestWindow front({.caption = L"Front"});
  TestWindow named(
      {.className = L"TavionWindowsNamedTarget", .caption = L"Named target", .x = 300});
  ASSERT_TRUE(MakeForeground(front.hwnd()));

  Run<tavion::TActionParamsSMsg>("ms_wmsg", TActionParamsMode::pmSMsg,
                                 [](tavion::TActionParamsSMsg& p) { SetMessage(p); });
  Run<tavion::TActionParamsSMsg>("ms_wmsg", TActionParamsMode::pmSMsg,
                                 [](tavion::TActionParamsSMsg& p) {
                                   SetMessage(p);
                                   p.AddWindow("TavionWindowsNamedTarget", "nil");
                                 });
  Run<tavion::TActionParamsSMsg>("ms_wmsg", TActionParamsMode::pmSMsg,
                                 [](tavion::TActionParamsSMsg& p) {
                                   SetMessage(p);
                                   p.AddWindow("nil", "Named target");
                                 });
  Run<tavion::TActionParamsSMsg>("ms_wmsg", TActionParamsMode::pmSMsg,
                                 [](tavion::TActionParamsSMsg& p) {
                                   SetMessage(p);
                                   p.Mode = 1;
                                   p.AddWindow("TavionWindowsNamedTarget", "nil");
                                 });
  Settle();
  const std::vector<Message> atFront = front.Of(WM_APP + 7);
  const std::vector<Message> atNamed = named.Of(WM_APP + 7);
  ASSERT_EQ(2u, atFront.size());
  ASSERT_EQ(2u, atNamed.size());
  EXPECT_EQ(5u, atFront[0].wParam);
  EXPECT_EQ(-3, atFront[0].lParam);
}

TEST_F(WindowActionsTest, MessageGoesToTheFocusedOrNowhere) {
  TestWindow front({.caption = L"Front"});
  TestWindow child({.caption = L"Child",
                    .style = WS_CHILD | WS_VISIBLE,
                    .parent = front.hwnd(),
                    .x = 10,
                    .y = 10,
                    .width = 50,
                    .height = 50});
  ASSERT_TRUE(MakeForeground(front.hwnd()));
  focused = child.hwnd();
  Run<tavion::TActionParamsSMsg>("ms_wmsg", TActionParamsMode::pmSMsg,
                                 [](tavion::TActionParamsSMsg& p) {
                                   SetMessage(p);
                                   p.Mode = 2;
                                 });
  // Nothing to send, an unknown mode, a named window that does not exist.
  Run<tavion::TActionParamsSMsg>("ms_wmsg", TActionParamsMode::pmSMsg,
                                 [](tavion::TActionParamsSMsg& p) { p.Mode = 1; });
  Run<tavion::TActionParamsSMsg>("ms_wmsg", TActionParamsMode::pmSMsg,
                                 [](tavion::TActionParamsSMsg& p) {
                                   SetMessage(p);
                                   p.Mode = 9;
                                 });
  Run<tavion::TActionParamsSMsg>("ms_wmsg", TActionParamsMode::pmSMsg,
                                 [](tavion::TActionParamsSMsg& p) {
                                   SetMessage(p);
                                   p.AddWindow("TavionNoSuchClass", "nil");
                                 });
  Settle();
  EXPECT_EQ(1u, child.Of(WM_APP + 7).size());
  EXPECT_TRUE(front.Of(WM_APP + 7).empty());
  EXPECT_EQ(4u, mainWindow.Of(tavion::WM_TV_NOTIFY).size());
}

TEST_F(WindowActionsTest, MessageGoesToTheWindowUnderTheCursor) {
  TestWindow front({.caption = L"Front", .x = 100, .y = 100});
  TestWindow child({.caption = L"Child",
                    .style = WS_CHILD | WS_VISIBLE,
                    .parent = front.hwnd(),
                    .x = 20,
                    .y = 20,
                    .width = 80,
                    .height = 80});
  ASSERT_TRUE(MakeForeground(front.hwnd()));
  POINT inChild{50, 50};
  ClientToScreen(child.hwnd(), &inChild);
  ASSERT_TRUE(SetCursorPos(inChild.x, inChild.y));
  PumpUntil([&] { return WindowFromPoint(inChild) == child.hwnd(); }, 1000);
  for (int32_t mode : {3, 4}) {
    tavion::TAction& action = actions.Add();
    action.SetExec("ms_wmsg");
    action.SetActionParamsMode(TActionParamsMode::pmSMsg);
    auto* p = action.ParamsAs<tavion::TActionParamsSMsg>();
    SetMessage(*p);
    p->Mode = mode;
    RunIndex(static_cast<int>(actions.Count() - 1));
  }
  Settle();
  EXPECT_EQ(1u, child.Of(WM_APP + 7).size());
  EXPECT_EQ(1u, front.Of(WM_APP + 7).size());
}

void ScrollDownThreeLinesInTheFocused(tavion::TActionParamsScroll& p) {
  p.hWndType = 1;
  p.Mode = 1;
  p.Pages = false;
  p.Speed = 3;
}

TEST_F(WindowActionsTest, ScrollPostsToTheWindowWithTheScrollBar) {
  TestWindow front(
      {.caption = L"Scrolled", .style = WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_VSCROLL});
  TestWindow inner({.caption = L"Inner",
                    .style = WS_CHILD | WS_VISIBLE,
                    .parent = front.hwnd(),
                    .x = 0,
                    .y = 0,
                    .width = 50,
                    .height = 50});
  ASSERT_TRUE(MakeForeground(front.hwnd()));
  focused = inner.hwnd();
  Run<tavion::TActionParamsScroll>("wm_scroll", TActionParamsMode::pmScroll,
                                   ScrollDownThreeLinesInTheFocused);
  Run<tavion::TActionParamsScroll>("wm_scroll", TActionParamsMode::pmScroll,
                                   [](tavion::TActionParamsScroll& p) {
                                     p.hWndType = 1;
                                     p.Mode = 0;
                                     p.Pages = true;
                                   });
  Settle();
  const std::vector<Message> scrolls = front.Of(WM_VSCROLL);
  ASSERT_EQ(4u, scrolls.size());
  for (int i = 0; i < 3; ++i) EXPECT_EQ(static_cast<WPARAM>(SB_LINEDOWN), scrolls[i].wParam);
  EXPECT_EQ(static_cast<WPARAM>(SB_PAGEUP), scrolls[3].wParam);
  EXPECT_EQ(0, scrolls[0].lParam);
  EXPECT_TRUE(inner.Of(WM_VSCROLL).empty());
  EXPECT_TRUE(sent.empty());
}

TEST_F(WindowActionsTest, ScrollBarControlOfTheRightOrientationTakesTheMessages) {
  TestWindow front({.caption = L"With bars"});
  const HWND horizontal = CreateWindowExW(0, L"ScrollBar", L"", WS_CHILD | WS_VISIBLE | SBS_HORZ, 0,
                                          200, 200, 16, front.hwnd(), nullptr, nullptr, nullptr);
  const HWND vertical = CreateWindowExW(0, L"ScrollBar", L"", WS_CHILD | WS_VISIBLE | SBS_VERT, 300,
                                        0, 16, 200, front.hwnd(), nullptr, nullptr, nullptr);
  ASSERT_NE(nullptr, horizontal);
  ASSERT_NE(nullptr, vertical);
  const struct {
    int direction;
    UINT message;
    HWND bar;
  } cases[] = {{tavion::kScrollDown, WM_VSCROLL, vertical},
               {tavion::kScrollRight, WM_HSCROLL, horizontal}};
  for (const auto& c : cases) {
    front.messages.clear();
    EXPECT_TRUE(tavion::PostScroll(front.hwnd(), c.direction, 2, /*findScrollBar=*/true));
    Settle();
    const std::vector<Message> scrolls = front.Of(c.message);
    ASSERT_EQ(2u, scrolls.size()) << c.direction;
    EXPECT_EQ(reinterpret_cast<LPARAM>(c.bar), scrolls[0].lParam) << c.direction;
    EXPECT_EQ(static_cast<WPARAM>(SB_LINEDOWN), scrolls[0].wParam);
  }
}

TEST_F(WindowActionsTest, PostScrollWithoutAnyScrollBarFailsUnlessTold) {
  TestWindow plain({.caption = L"Plain"});
  EXPECT_FALSE(tavion::PostScroll(plain.hwnd(), tavion::kScrollUp, 1, /*findScrollBar=*/true));
  Settle();
  EXPECT_TRUE(plain.Of(WM_VSCROLL).empty());
  EXPECT_TRUE(tavion::PostScroll(plain.hwnd(), tavion::kScrollLeft, 0, /*findScrollBar=*/false));
  Settle();
  ASSERT_EQ(1u, plain.Of(WM_HSCROLL).size());
  EXPECT_EQ(static_cast<WPARAM>(SB_PAGEUP), plain.Of(WM_HSCROLL)[0].wParam);
  EXPECT_FALSE(tavion::PostScroll(nullptr, tavion::kScrollUp, 1, /*findScrollBar=*/true));
}

TEST_F(WindowActionsTest, ScrollWithoutScrollBarStillReachesTheWindow) {
  TestWindow plain({.caption = L"Plain"});
  ASSERT_TRUE(MakeForeground(plain.hwnd()));
  // Keep the cursor off the window so that the window under it is not the foreground's.
  SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
  tavion::ScrollWindowBy(tavion::kScrollRight, 2, plain.hwnd());
  Settle();
  const std::vector<Message> scrolls = plain.Of(WM_HSCROLL);
  ASSERT_EQ(2u, scrolls.size());
  EXPECT_EQ(static_cast<WPARAM>(SB_LINEDOWN), scrolls[0].wParam);
}

TEST_F(WindowActionsTest, BrowsersGetKeysInsteadOfScrollMessages) {
  TestWindow browser({.className = L"MozillaUIWindowClass",
                      .caption = L"Browser",
                      .style = WS_OVERLAPPEDWINDOW | WS_VISIBLE | WS_VSCROLL});
  TestWindow content({.caption = L"Content",
                      .style = WS_CHILD | WS_VISIBLE,
                      .parent = browser.hwnd(),
                      .width = 50,
                      .height = 50});
  ASSERT_TRUE(MakeForeground(browser.hwnd()));
  focused = content.hwnd();
  Run<tavion::TActionParamsScroll>("wm_scroll", TActionParamsMode::pmScroll,
                                   [](tavion::TActionParamsScroll& p) {
                                     p.hWndType = 1;
                                     p.Mode = 1;
                                     p.Pages = true;
                                     p.Speed = 3;
                                   });
  ASSERT_EQ(1u, sent.size());
  EXPECT_EQ((SentKeyCall{.keyOrMode = VK_NEXT}), sent[0]);

  sent.clear();
  Run<tavion::TActionParamsScroll>("wm_scroll", TActionParamsMode::pmScroll,
                                   ScrollDownThreeLinesInTheFocused);
  EXPECT_EQ(std::vector<SentKeyCall>(3, SentKeyCall{.keyOrMode = VK_DOWN}), sent);

  sent.clear();
  Run<tavion::TActionParamsScroll>("wm_scroll", TActionParamsMode::pmScroll,
                                   [](tavion::TActionParamsScroll& p) {
                                     p.hWndType = 1;
                                     p.Mode = 5;
                                   });
  const std::vector<SentKeyCall> zoomOut = {{.modifiers = 2, .keyOrMode = VK_OEM_MINUS}};
  EXPECT_EQ(zoomOut, sent);
  Settle();
  EXPECT_TRUE(browser.Of(WM_VSCROLL).empty());
}

TEST_F(WindowActionsTest, ZoomElsewhereIsCtrlWithAWheelStep) {
  TestWindow front({.caption = L"Zoomed"});
  ASSERT_TRUE(MakeForeground(front.hwnd()));
  focused = front.hwnd();
  for (uint8_t mode : {2, 5}) {
    tavion::TAction& action = actions.Add();
    action.SetExec("wm_scroll");
    action.SetActionParamsMode(TActionParamsMode::pmScroll);
    action.ParamsAs<tavion::TActionParamsScroll>()->hWndType = 1;
    action.ParamsAs<tavion::TActionParamsScroll>()->Mode = mode;
    RunIndex(static_cast<int>(actions.Count() - 1));
  }
  const std::vector<SentKeyCall> expected = {{.modifiers = 2, .keyOrMode = 136},
                                             {.modifiers = 2, .keyOrMode = 137}};
  EXPECT_EQ(expected, sent);
}

// Wine's Notepad in a process of its own, as the window actions meet windows as a rule: Wine does
// not read another process's window menu, and Notepad's thread carries out the changes.
class NotepadTest : public WindowActionsTest {
 protected:
  void SetUp() override {
    WindowActionsTest::SetUp();
    wchar_t commandLine[] = L"notepad.exe";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    ASSERT_TRUE(CreateProcessW(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &process_));
    WaitForInputIdle(process_.hProcess, 10000);
    ASSERT_TRUE(PumpUntil([this] { return (notepad_ = FindNotepad()) != nullptr; }, 10000));
    ASSERT_TRUE(MakeForeground(notepad_));
  }
  void TearDown() override {
    if (process_.hProcess != nullptr) {
      TerminateProcess(process_.hProcess, 0);
      WaitForSingleObject(process_.hProcess, 5000);
      CloseHandle(process_.hProcess);
      CloseHandle(process_.hThread);
    }
    WindowActionsTest::TearDown();
  }
  HWND FindNotepad() const {
    for (HWND window = nullptr; (window = FindWindowExW(nullptr, window, L"Notepad", nullptr));) {
      DWORD process = 0;
      GetWindowThreadProcessId(window, &process);
      if (process == process_.dwProcessId) return window;
    }
    return nullptr;
  }

  PROCESS_INFORMATION process_{};
  HWND notepad_ = nullptr;
};

TEST_F(NotepadTest, MaximizeRestoreAndMinimizeAnotherProgramsWindow) {
  Run("wm_wmax");
  EXPECT_TRUE(PumpUntil([&] { return IsZoomed(notepad_) != FALSE; }));
  Run("wm_wmax");
  EXPECT_TRUE(PumpUntil([&] { return !IsZoomed(notepad_); }));
  ASSERT_TRUE(MakeForeground(notepad_));
  Run("wm_wmin");
  EXPECT_TRUE(PumpUntil([&] { return IsIconic(notepad_) != FALSE; }));
}

TEST_F(NotepadTest, OnTopCentreShowHideAndCloseAnotherProgramsWindow) {
  Run("wm_wtop");
  EXPECT_TRUE(PumpUntil([&] { return Topmost(notepad_); }));
  Run("wm_wtop");
  EXPECT_TRUE(PumpUntil([&] { return !Topmost(notepad_); }));

  RECT rect{};
  GetWindowRect(notepad_, &rect);
  const tavion::Point centre =
      tavion::CentredPosition(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                              rect.right - rect.left, rect.bottom - rect.top);
  Run("wm_wctr");
  EXPECT_TRUE(PumpUntil([&] {
    GetWindowRect(notepad_, &rect);
    return rect.left == centre.x && rect.top == centre.y;
  }));

  Run("wm_s/\\h");
  EXPECT_TRUE(PumpUntil([&] { return !IsWindowVisible(notepad_); }));
  Run("wm_s/\\h");
  EXPECT_TRUE(PumpUntil([&] { return GetForegroundWindow() == notepad_; }));
  EXPECT_TRUE(IsWindowVisible(notepad_));
  EXPECT_EQ(notepad_, raised);

  Run("wm_wclz");
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process_.hProcess, 5000));
}

TEST_F(NotepadTest, AHungWindowDoesNotHoldTheCaller) {
  // Notepad's thread stops; should a call wait for it, a watchdog lets it go after half a minute.
  ASSERT_NE(static_cast<DWORD>(-1), SuspendThread(process_.hThread));
  const HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::atomic<bool> released = false;
  std::thread watchdog([&] {
    if (WaitForSingleObject(done, 30000) != WAIT_TIMEOUT) return;
    released = true;
    ResumeThread(process_.hThread);
  });
  for (const char* code : {"wm_wtop", "wm_wctr", "wm_s/\\h"}) Run(code);
  SetEvent(done);
  watchdog.join();
  CloseHandle(done);
  EXPECT_FALSE(released) << "a call waited for the hung window";
  if (!released) ResumeThread(process_.hThread);
  // Notepad carries the requests out once it runs again.
  EXPECT_TRUE(PumpUntil([&] { return Topmost(notepad_) && !IsWindowVisible(notepad_); }));
}

}  // namespace
}  // namespace windows_test
