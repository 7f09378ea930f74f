// The "wm_" codes, "ms_wmsg" and "ke_keyz" through the dispatcher, against windows of this
// program and of Wine's Notepad.

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "actions/action.h"
#include "actions/params.h"
#include "base/window_requests_win.h"
#include "exec/dispatcher.h"
#include "exec/exec_host_win.h"
#include "exec/main_messages.h"
#include "exec/window_actions.h"
#include "exec/window_actions_win.h"
#include "keys/hotkey.h"
#include "settings/settings.h"
#include "wine/exec/exec_test_window.h"
#include "wine/support/test_support.h"

namespace {

using tavion::TActionParamsMode;
using wine_test::MakeForeground;
using wine_test::PumpThroughSentinel;
using wine_test::PumpUntil;
using wine_test::TestWindow;

// One call of the key sender.
struct SentKeyCall {
  uint8_t modifiers = 0;
  uint16_t keyOrMode = 0;
  uint16_t scanCode = 0;
  friend bool operator==(const SentKeyCall&, const SentKeyCall&) = default;
};

bool Topmost(HWND window) {
  return (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

uint32_t CurrentLayout() {
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(GetKeyboardLayout(0)));
}

class WindowActionsTest : public testing::Test {
 protected:
  void SetUp() override {
    tavion::ResetSettings();
    tavion::ClearExecutors();
    tavion::TransparentWindows().Clear();
    tavion::WindowServices services;
    services.sendKeys = [this](uint8_t modifiers, uint16_t keyOrMode, uint16_t scanCode, uint16_t,
                               uintptr_t, bool, uint16_t, const char*, const wchar_t*) {
      sent.push_back({modifiers, keyOrMode, scanCode});
      return true;
    };
    services.focusedWindow = [this] { return focused; };
    services.forceForeground = tavion::ResolveFunction<ForceForegroundWindowFn>(
        LoadLibraryW(L"Sidekit32.dll"), "ForceForegroundWindow");
    tavion::RegisterWindowExecutors(services);
    tavion::MainWindowServices mainServices;
    mainServices.actionByIndex = [this](int index) {
      return actions.At(static_cast<std::size_t>(index));
    };
    host = std::make_unique<tavion::WinExecHost>(mainWindow.hwnd(), std::move(mainServices));
    tavion::SetExecHost(host.get());
  }
  void TearDown() override {
    tavion::SetExecHost(nullptr);
    tavion::ClearExecutors();
    tavion::TransparentWindows().Clear();
    tavion::ResetSettings();
  }

  // Runs `code` with a fresh action whose parameters `prepare` fills in.
  template <typename Params>
  void Run(const char* code, TActionParamsMode mode, const std::function<void(Params&)>& prepare) {
    tavion::TAction& action = actions.Add();
    action.SetExec(code);
    action.SetActionParamsMode(mode);
    prepare(*action.ParamsAs<Params>());
    RunLast();
  }
  void Run(const char* code) {
    actions.Add().SetExec(code);
    RunLast();
  }
  void RunLast() {
    const int index = static_cast<int>(actions.Count() - 1);
    tavion::ExecuteAction(actions.At(static_cast<std::size_t>(index))->Exec(), index,
                          /*mayUseThread=*/false);
  }
  void Message(int32_t mode, const char* windowClass = nullptr, const char* caption = nullptr) {
    Run<tavion::TActionParamsSMsg>("ms_wmsg", TActionParamsMode::pmSMsg,
                                   [&](tavion::TActionParamsSMsg& p) {
                                     p.SMsg = WM_APP + 7;
                                     p.Wprm = 5;
                                     p.Lprm = -3;
                                     p.Mode = mode;
                                     if (windowClass) p.AddWindow(windowClass, caption);
                                   });
  }
  exec_test::RecordingWindow mainWindow;
  tavion::TActionsList actions;
  std::unique_ptr<tavion::WinExecHost> host;
  std::vector<SentKeyCall> sent;
  HWND focused = nullptr;  // what the focused-window service answers
};

TEST_F(WindowActionsTest, TransparencyLayersTheForegroundWindow) {
  TestWindow window;
  ASSERT_TRUE(MakeForeground(window.hwnd()));
  Run<tavion::TActionParamsAlfa>(
      "wm_alfa", TActionParamsMode::pmAlfa,
      [](tavion::TActionParamsAlfa& p) { p.Mode = tavion::kAlphaLower; });
  EXPECT_NE(0, GetWindowLongPtrW(window.hwnd(), GWL_EXSTYLE) & WS_EX_LAYERED);
  EXPECT_EQ(235, tavion::TransparentWindows().AlphaOf(reinterpret_cast<uintptr_t>(window.hwnd())));
  EXPECT_EQ(1u, mainWindow.Of(tavion::WM_TV_NOTIFY).size());
}

TEST_F(WindowActionsTest, TheShellInFrontRefusesWindowCodesAndIsNeverHidden) {
  TestWindow taskBar({.className = L"Shell_TrayWnd", .caption = L"", .style = WS_POPUP});
  ASSERT_TRUE(MakeForeground(taskBar.hwnd()));
  for (const char* code : {"wm_wtop", "wm_wmin", "wm_wclz", "wm_alfa"}) {
    Run(code);
    const auto notes = mainWindow.Of(tavion::WM_TV_NOTIFY);
    ASSERT_FALSE(notes.empty()) << code;
    EXPECT_EQ(tavion::kShellWindowError, notes.back().result.notifyText) << code;
  }
  tavion::Settings().HiddenWindow = 0x7FFF0;  // a hidden window that is gone
  Run("wm_s/\\h");
  ASSERT_TRUE(PumpThroughSentinel());
  EXPECT_TRUE(IsWindowVisible(taskBar.hwnd()));
  EXPECT_FALSE(Topmost(taskBar.hwnd()));
  EXPECT_FALSE(taskBar.Got(WM_SYSCOMMAND));
  EXPECT_EQ(0u, tavion::Settings().HiddenWindow) << "forgotten";
}

TEST_F(WindowActionsTest, MessageGoesToTheWindowItsModeNames) {
  TestWindow front({.caption = L"Front"});
  TestWindow named({.className = L"TavionWindowsNamedTarget",
                    .caption = L"Named target",
                    .style = WS_OVERLAPPEDWINDOW | WS_VISIBLE});
  TestWindow child({.caption = L"Child",
                    .style = WS_CHILD | WS_VISIBLE,
                    .parent = front.hwnd(),
                    .x = 20,
                    .y = 20,
                    .width = 80,
                    .height = 80});
  ASSERT_TRUE(MakeForeground(front.hwnd()));
  focused = child.hwnd();
  POINT inChild{50, 50};
  ClientToScreen(child.hwnd(), &inChild);
  ASSERT_TRUE(SetCursorPos(inChild.x, inChild.y));
  ASSERT_TRUE(PumpUntil([&] { return WindowFromPoint(inChild) == child.hwnd(); }));
  const struct {
    const char* what;
    int32_t mode;
    const char* windowClass;
    const char* caption;
    const TestWindow* target;
  } cases[] = {
      {"no window named: the foreground", 0, nullptr, nullptr, &front},
      {"named by class", 0, "TavionWindowsNamedTarget", "nil", &named},
      {"named by caption", 0, "nil", "Named target", &named},
      {"foreground whatever is named", 1, "TavionWindowsNamedTarget", "nil", &front},
      {"the focused window", 2, nullptr, nullptr, &child},
      {"the child under the cursor", 3, nullptr, nullptr, &child},
      {"the top-level window under the cursor", 4, nullptr, nullptr, &front},
      {"a named window that does not exist", 0, "TavionNoSuchClass", "nil", nullptr},
      {"an unknown mode", 9, nullptr, nullptr, nullptr},
  };
  for (const auto& c : cases) {
    for (TestWindow* w : {&front, &named, &child}) w->messages.clear();
    Message(c.mode, c.windowClass, c.caption);
    ASSERT_TRUE(PumpThroughSentinel());
    for (const TestWindow* w : {&front, &named, &child}) {
      const auto got = w->Of(WM_APP + 7);
      ASSERT_EQ(w == c.target ? 1u : 0u, got.size()) << c.what;
      if (got.empty()) continue;
      EXPECT_EQ(5u, got[0].wParam) << c.what;
      EXPECT_EQ(-3, got[0].lParam) << c.what;
    }
  }
}

TEST_F(WindowActionsTest, AScrollBarControlOfTheRightOrientationTakesTheMessages) {
  TestWindow front({.caption = L"With bars"});
  const HWND horizontal = CreateWindowExW(0, L"ScrollBar", L"", WS_CHILD | WS_VISIBLE | SBS_HORZ, 0,
                                          200, 200, 16, front.hwnd(), nullptr, nullptr, nullptr);
  const HWND vertical = CreateWindowExW(0, L"ScrollBar", L"", WS_CHILD | WS_VISIBLE | SBS_VERT, 300,
                                        0, 16, 200, front.hwnd(), nullptr, nullptr, nullptr);
  ASSERT_TRUE(horizontal && vertical);
  const struct {
    int direction;
    UINT message;
    HWND bar;
  } cases[] = {{tavion::kScrollDown, WM_VSCROLL, vertical},
               {tavion::kScrollRight, WM_HSCROLL, horizontal}};
  for (const auto& c : cases) {
    front.messages.clear();
    EXPECT_TRUE(tavion::PostScroll(front.hwnd(), c.direction, 2, /*findScrollBar=*/true));
    ASSERT_TRUE(PumpThroughSentinel());
    const auto scrolls = front.Of(c.message);
    ASSERT_EQ(2u, scrolls.size()) << c.direction;
    EXPECT_EQ(reinterpret_cast<LPARAM>(c.bar), scrolls[0].lParam) << c.direction;
  }
}

// "ke_keyz" in another language asks the window to switch, and back after the key.
TEST_F(WindowActionsTest, ReplacementInAnotherLanguageSwitchesAndRestores) {
  TestWindow window;
  ASSERT_TRUE(MakeForeground(window.hwnd()));
  const uint32_t before = CurrentLayout();
  constexpr uint32_t kRussian = 0x04190419;
  ASSERT_NE(kRussian, before);
  Run<tavion::TActionParamsRKey>(
      "ke_keyz", TActionParamsMode::pmKRep, [](tavion::TActionParamsRKey& p) {
        p.Key.SetHKey(tavion::PackHotKey('Q', 16, 0, tavion::kModShift | tavion::kModCtrl));
        p.Lang = kRussian;
      });
  const auto requests = window.Of(WM_INPUTLANGCHANGEREQUEST);
  ASSERT_EQ(2u, requests.size());
  EXPECT_EQ(1u, requests[0].wParam);
  EXPECT_EQ(kRussian, static_cast<uint32_t>(requests[0].lParam));
  EXPECT_EQ(before, static_cast<uint32_t>(requests[1].lParam));
  EXPECT_EQ((std::vector<SentKeyCall>{{6, 'Q', 16}}), sent);
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
  // A replacement key in another language asks the hung window to switch first.
  Run<tavion::TActionParamsRKey>("ke_keyz", TActionParamsMode::pmKRep,
                                 [](tavion::TActionParamsRKey& p) {
                                   p.Key.SetHKey(tavion::PackHotKey('Q', 16, 0, 0));
                                   p.Lang = 0x04190419;
                                 });
  SetEvent(done);
  watchdog.join();
  CloseHandle(done);
  EXPECT_FALSE(released) << "a call waited for the hung window";
  if (!released) ResumeThread(process_.hThread);
  // Notepad carries the requests out once it runs again.
  EXPECT_TRUE(PumpUntil([&] { return Topmost(notepad_) && !IsWindowVisible(notepad_); }));
}

}  // namespace
