#include "exec/exec_host_win.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "actions/action.h"
#include "exec/dispatcher.h"
#include "exec_test_window.h"
#include "settings/settings.h"
#include "exec/main_messages.h"

extern "C" const char* WINAPI FormateErrorStr(DWORD code);

namespace tavion {
namespace {

using exec_test::PumpUntil;
using exec_test::RecordingWindow;

// The packed argument of an index and a repeat count, as the hot-key dispatch makes it.
int32_t Packed(int index, int repeat) {
  return index | repeat << 16;
}

class WinExecHostTest : public testing::Test {
 protected:
  void SetUp() override {
    ResetSettings();
    ClearExecutors();
    actions.Add().SetExec("zz_test");
    actions.Add().SetExec("zz_test");
    actions.At(1)->ActionExecOn().Thrd = true;
    MainWindowServices services;
    services.actionByIndex = [this](int index) {
      return actions.At(static_cast<std::size_t>(index));
    };
    services.pluginFolder = "C:\\Tavion\\PlugIns";
    host = std::make_unique<WinExecHost>(window.hwnd(), std::move(services));
    SetExecHost(host.get());
  }
  void TearDown() override {
    SetExecHost(nullptr);
    ClearExecutors();
    ResetSettings();
  }

  // Runs `code` without an action and returns what the window received.
  std::vector<exec_test::Recorded> RunWithoutAction(const char* code) {
    window.messages.clear();
    ExecuteAction(code, -1, false);
    PumpUntil([this] { return !window.Of(WM_TV_NOTIFY).empty() && window.messages.size() >= 2; },
              500);
    return window.messages;
  }

  RecordingWindow window;
  TActionsList actions;
  std::unique_ptr<WinExecHost> host;
};

TEST_F(WinExecHostTest, WorkerThreadRunsTheActionAndSendsTheNotificationWithItsText) {
  std::atomic<int> runs{0};
  std::atomic<DWORD> runThread{0};
  RegisterExecutor("zz_test", [&](ExecContext&) {
    ++runs;
    runThread = GetCurrentThreadId();
    SetNotifyText("run " + std::to_string(runs.load()), /*error=*/runs == 1);
  });
  ExecuteAction("zz_test", Packed(0, 1), true);
  ASSERT_TRUE(PumpUntil([this] { return !window.Of(WM_TV_NOTIFY).empty(); }));
  const std::vector<exec_test::Recorded> notes = window.Of(WM_TV_NOTIFY);
  ASSERT_EQ(1u, notes.size());
  EXPECT_EQ("zz_test", notes[0].code);
  EXPECT_EQ("run 2", notes[0].result.notifyText);
  EXPECT_TRUE(notes[0].result.notifyError) << "the first run's mark stays";
  EXPECT_EQ(0, notes[0].lParam);
  EXPECT_TRUE(notes[0].fromOtherThread);
  EXPECT_EQ(2, runs.load());
  EXPECT_NE(GetCurrentThreadId(), runThread.load());
}

TEST_F(WinExecHostTest, ThrdKeepsTheActionOnTheCallingThread) {
  DWORD runThread = 0;
  RegisterExecutor("zz_test", [&](ExecContext&) { runThread = GetCurrentThreadId(); });
  ExecuteAction("zz_test", Packed(1, 0), true);
  // Sent on this thread: delivered before ExecuteAction returns.
  const std::vector<exec_test::Recorded> notes = window.Of(WM_TV_NOTIFY);
  ASSERT_EQ(1u, notes.size());
  EXPECT_EQ(1, notes[0].lParam);
  EXPECT_FALSE(notes[0].fromOtherThread);
  EXPECT_EQ(GetCurrentThreadId(), runThread);
}

TEST_F(WinExecHostTest, NotificationWithoutActionCarriesMinusOne) {
  const std::vector<exec_test::Recorded> received = RunWithoutAction("zz_none");
  ASSERT_EQ(1u, received.size());
  EXPECT_EQ(WM_TV_NOTIFY, received[0].message);
  EXPECT_EQ(-1, received[0].lParam);
}

TEST_F(WinExecHostTest, ProgramCodesReachTheMainWindow) {
  struct Case {
    const char* code;
    UINT message;
    WPARAM wParam;
  };
  const Case cases[] = {
      {"tv_kill", WM_TV_CLOSE, 1},
      {"tv_beep", WM_TV_STATUS, kStatusRunningCheck},
      {"tv_e/\\d", WM_TV_PROGRAM_COMMAND, kCommandToggleHotKeys},
      {"tv_opts", WM_TV_PROGRAM_COMMAND, kCommandRestoreOrMinimize},
  };
  for (const Case& c : cases) {
    const std::vector<exec_test::Recorded> received = RunWithoutAction(c.code);
    ASSERT_EQ(2u, received.size()) << c.code;
    const exec_test::Recorded& command =
        received[0].message == WM_TV_NOTIFY ? received[1] : received[0];
    EXPECT_EQ(c.message, command.message) << c.code;
    EXPECT_EQ(c.wParam, command.wParam) << c.code;
    EXPECT_EQ(0, command.lParam) << c.code;
  }
}

TEST_F(WinExecHostTest, LanguageRequestGoesToTheForegroundWindow) {
  RecordingWindow foreground(/*visible=*/true);
  SetForegroundWindow(foreground.hwnd());
  PumpUntil([&] { return GetForegroundWindow() == foreground.hwnd(); }, 2000);
  if (GetForegroundWindow() != foreground.hwnd()) GTEST_SKIP() << "no foreground window here";
  actions.At(1)->ActionExecOn().SetLangAfter = 0x04090409;
  ExecuteAction("zz_test", Packed(1, 0), false);
  const std::vector<exec_test::Recorded> requests = foreground.Of(WM_INPUTLANGCHANGEREQUEST);
  ASSERT_EQ(1u, requests.size());
  EXPECT_EQ(1u, requests[0].wParam);
  EXPECT_EQ(0x04090409, static_cast<uint32_t>(requests[0].lParam));
}

TEST_F(WinExecHostTest, PluginCallWithoutPluginsAnswersNil) {
  actions.At(0)->SetName("Eject");
  actions.At(0)->SetExec(
      "plug\x02"
      "1Corvex.dll\x02"
      "2CDRom");
  ExecuteAction(actions.At(0)->Exec(), 0, false);
  const std::vector<exec_test::Recorded> notes = window.Of(WM_TV_NOTIFY);
  ASSERT_EQ(1u, notes.size());
  EXPECT_TRUE(notes[0].result.notifyError);
  EXPECT_TRUE(notes[0].result.notifyText.starts_with("Can't find handler for action 'Eject'"));
}

// Windows of this process with the shell's class names stand in for the shell's own.
HWND MakeWindow(const wchar_t* className, const wchar_t* caption) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = DefWindowProcW;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = className;
  RegisterClassW(&windowClass);
  return CreateWindowExW(0, className, caption, WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

TEST(IsShellWindowWin, ReadsClassAndCaptionOfTheWindow) {
  struct Case {
    const wchar_t* className;
    const wchar_t* caption;
    bool shell;
  };
  const Case cases[] = {
      {L"Progman", L"Program Manager", true},
      {L"Progman", L"Other", false},
      {L"WorkerW", L"", true},
      {L"WorkerW", L"Wallpaper", false},
      {L"TavionNotShell", L"Program Manager", false},
  };
  for (const Case& c : cases) {
    const HWND window = MakeWindow(c.className, c.caption);
    ASSERT_NE(nullptr, window);
    EXPECT_EQ(c.shell, IsShellWindow(window)) << static_cast<int>(c.shell);
    DestroyWindow(window);
  }
  EXPECT_TRUE(IsShellWindow(GetDesktopWindow()));
  EXPECT_FALSE(IsShellWindow(nullptr));
}

TEST(FormateErrorStr, GivesTheSystemsTextAndSomethingSafeForUnknownCodes) {
  char* expected = nullptr;
  ASSERT_NE(0u, FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, nullptr,
                               2, 0x400, reinterpret_cast<char*>(&expected), 0, nullptr));
  const std::string systemText = expected;
  LocalFree(expected);

  const char* text = FormateErrorStr(2);
  ASSERT_NE(nullptr, text);
  EXPECT_EQ(systemText, text);
  const std::string kept = text;
  const char* other = FormateErrorStr(5);
  ASSERT_NE(nullptr, other);
  EXPECT_NE(kept, other);

  const char* unknown = FormateErrorStr(0xFFFFFFFF);
  ASSERT_NE(nullptr, unknown);
  EXPECT_EQ("", std::string(unknown));
  EXPECT_EQ(systemText, FormateErrorStr(2)) << "a failure leaves later calls working";
}

}  // namespace
}  // namespace tavion
