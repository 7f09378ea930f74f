// Actions through the dispatcher on the system: worker threads and the main window's messages; the
// window codes, "ms_wmsg", "ke_keyz", a media player and the window conditions against windows of
// this program and of Wine's Notepad; "srun" with a probe program that reports how it was started,
// its input dialogs, its error box, the running-copy switch and the folder and date variables.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "actions/action.h"
#include "actions/exec_on.h"
#include "actions/params.h"
#include "actions/window_system_win.h"
#include "base/utf_win.h"
#include "base/window_requests_win.h"
#include "exec/dispatcher.h"
#include "exec/exec_host_win.h"
#include "exec/input_form_win.h"
#include "exec/launch_executor_win.h"
#include "exec/launch_system_win.h"
#include "exec/main_messages.h"
#include "exec/media_player_win.h"
#include "exec/shell_launch_win.h"
#include "exec/window_actions.h"
#include "exec/window_actions_win.h"
#include "keys/hotkey.h"
#include "settings/settings.h"
#include "wine/support/test_support.h"

// The program exports it for plug-ins; no header of the program declares it.
extern "C" const char* WINAPI FormateErrorStr(DWORD code);

namespace tavion {
namespace {

using wine_test::MakeForeground;
using wine_test::PumpThroughSentinel;
using wine_test::PumpUntil;
using wine_test::TestWindow;
using Triples = std::vector<std::tuple<UINT, WPARAM, LPARAM>>;

constexpr DWORD kShown = WS_OVERLAPPEDWINDOW | WS_VISIBLE;
constexpr uint32_t kRussian = 0x04190419;

// The main window's stand-in on the test thread: it records the program's own messages and the
// language requests, and keeps the text of each notification.
class MainWindow : public TestWindow {
 public:
  MainWindow() : TestWindow({.className = L"TavionExecTestWindow"}) {
    record = [](UINT m) {
      return (m >= WM_TV_CLOSE && m <= WM_TV_PROGRAM_COMMAND) || m == WM_INPUTLANGCHANGEREQUEST;
    };
    answer = [this](HWND, UINT message, WPARAM wParam, LPARAM) -> std::optional<LRESULT> {
      if (message == WM_TV_NOTIFY && wParam != 0 && wParam != kNotifyLockState)
        texts.push_back(reinterpret_cast<const NotifyNotice*>(wParam)->result.notifyText);
      return std::nullopt;
    };
  }

  std::vector<std::string> texts;
};

// Runs actions through the dispatcher with that window as the main window.
class ExecTest : public testing::Test {
 protected:
  void SetUp() override {
    ResetSettings();
    ClearExecutors();
    MainWindowServices services;
    services.actionByIndex = [this](int index) { return actions_.At(size_t(index)); };
    host_ = std::make_unique<WinExecHost>(main_.hwnd(), std::move(services));
    SetExecHost(host_.get());
  }
  void TearDown() override {
    SetExecHost(nullptr);
    ClearExecutors();
    ResetSettings();
  }

  // The parameters of a fresh action of `code`, which Run() then runs.
  template <typename Params>
  Params& Prepare(const char* code, TActionParamsMode mode) {
    TAction& action = actions_.Add();
    action.SetExec(code);
    action.SetActionParamsMode(mode);
    return *action.ParamsAs<Params>();
  }
  // Runs a fresh action of `code`, or the last one added, on this thread.
  void Run(const char* code = nullptr) {
    if (code) actions_.Add().SetExec(code);
    const int index = static_cast<int>(actions_.Count() - 1);
    ExecuteAction(actions_.At(size_t(index))->Exec(), index, /*mayUseThread=*/false);
  }

  MainWindow main_;
  TActionsList actions_;
  std::unique_ptr<WinExecHost> host_;
};

TEST_F(ExecTest, AWorkerThreadRunsTheActionAndSendsItsNotification) {
  std::atomic<DWORD> runThread{0};
  RegisterExecutor("zz_test", [&](ExecContext&) {
    runThread = GetCurrentThreadId();
    SetNotifyText("ran", /*error=*/false);
  });
  actions_.Add().SetExec("zz_test");
  ExecuteAction("zz_test", 0, /*mayUseThread=*/true);
  ASSERT_TRUE(PumpUntil([this] { return !main_.messages.empty(); }));
  EXPECT_EQ(std::vector<std::string>{"ran"}, main_.texts);
  EXPECT_TRUE(main_.messages[0].fromOtherThread);
  EXPECT_NE(GetCurrentThreadId(), runThread.load());
}

// The other program codes are the dispatcher's own decisions; this one is the host's.
TEST_F(ExecTest, KillAsksTheMainWindowToCloseWithTheQuestionAndAnExplicitExit) {
  ExecuteAction("tv_kill", -1, false);
  ASSERT_TRUE(PumpThroughSentinel());
  EXPECT_EQ((Triples{{WM_TV_CLOSE, 1, 0}}), main_.Triples(WM_TV_CLOSE));
}

bool Topmost(HWND window) {
  return (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

class WindowActionsTest : public ExecTest {
 protected:
  void SetUp() override {
    ExecTest::SetUp();
    WindowServices services;
    services.sendKeys = [this](uint8_t modifiers, uint16_t keyOrMode, uint16_t scanCode, uint16_t,
                               uintptr_t, bool, uint16_t, const char*, const wchar_t*) {
      sent.emplace_back(modifiers, keyOrMode, scanCode);
      return true;
    };
    services.focusedWindow = [this] { return focused; };
    services.forceForeground = forceForeground;
    RegisterWindowExecutors(services);
  }
  void TearDown() override {
    TransparentWindows().Clear();
    ExecTest::TearDown();
  }

  TActionParamsRKey& PrepareReplacement(uint8_t modifiers) {
    TActionParamsRKey& p = Prepare<TActionParamsRKey>("ke_keyz", TActionParamsMode::pmKRep);
    p.Key.SetHKey(PackHotKey('Q', 16, 0, modifiers));
    p.Lang = kRussian;
    return p;
  }

  const ForceForegroundWindowFn forceForeground = ResolveFunction<ForceForegroundWindowFn>(
      LoadLibraryW(L"Sidekit32.dll"), "ForceForegroundWindow");
  Triples sent;            // modifiers, key and scan code of each call of the key sender
  HWND focused = nullptr;  // what the focused-window service answers
};

TEST_F(WindowActionsTest, TheForegroundWindowIsLayeredAndAskedForAnotherLanguageAndBack) {
  TestWindow window;
  ASSERT_TRUE(MakeForeground(window.hwnd()));
  Prepare<TActionParamsAlfa>("wm_alfa", TActionParamsMode::pmAlfa).Mode = kAlphaLower;
  Run();
  EXPECT_NE(0, GetWindowLongPtrW(window.hwnd(), GWL_EXSTYLE) & WS_EX_LAYERED);
  EXPECT_EQ(235, TransparentWindows().AlphaOf(reinterpret_cast<uintptr_t>(window.hwnd())));

  // A layout handle travels as a sign-extended 32-bit value.
  const LPARAM before = static_cast<int32_t>(reinterpret_cast<uintptr_t>(GetKeyboardLayout(0)));
  ASSERT_NE(LPARAM(kRussian), before);
  PrepareReplacement(kModShift | kModCtrl);
  Run();
  const UINT request = WM_INPUTLANGCHANGEREQUEST;
  EXPECT_EQ((Triples{{request, 1, LPARAM(kRussian)}, {request, 1, before}}),
            window.Triples(request));
  EXPECT_EQ((Triples{{6, 'Q', 16}}), sent);
}

// Which codes the shell refuses is the dispatcher's decision; this is how the host sees the shell.
TEST_F(WindowActionsTest, TheShellInFrontRefusesWindowCodesAndIsNeverHidden) {
  TestWindow taskBar({.className = L"Shell_TrayWnd", .caption = L"", .style = WS_POPUP});
  ASSERT_TRUE(MakeForeground(taskBar.hwnd()));
  Run("wm_wtop");
  EXPECT_EQ(std::vector<std::string>{kShellWindowError}, main_.texts);
  Settings().HiddenWindow = 0x7FFF0;  // a hidden window that is gone lets the code through
  Run("wm_s/\\h");
  ASSERT_TRUE(PumpThroughSentinel());
  EXPECT_TRUE(IsWindowVisible(taskBar.hwnd()) && !Topmost(taskBar.hwnd()));
  EXPECT_EQ(0u, Settings().HiddenWindow) << "forgotten";
}

TEST_F(WindowActionsTest, MessageGoesToTheWindowItsModeNames) {
  TestWindow front({.caption = L"Front"});
  TestWindow named({.className = L"TavionNamedTarget", .caption = L"Named", .style = kShown});
  TestWindow child({.style = WS_CHILD | WS_VISIBLE, .parent = front.hwnd(), .x = 20, .y = 20});
  ASSERT_TRUE(MakeForeground(front.hwnd()));
  focused = child.hwnd();
  POINT inChild{50, 50};
  ClientToScreen(child.hwnd(), &inChild);
  ASSERT_TRUE(SetCursorPos(inChild.x, inChild.y));
  ASSERT_TRUE(PumpUntil([&] { return WindowFromPoint(inChild) == child.hwnd(); }));
  // What the row proves, the mode, the window named (class and caption) and the one that gets it.
  const std::tuple<const char*, int32_t, const char*, const char*, const TestWindow*> cases[] = {
      {"no window named: the foreground", 0, nullptr, nullptr, &front},
      {"named by class", 0, "TavionNamedTarget", "nil", &named},
      {"the focused window", 2, nullptr, nullptr, &child},
      {"the child under the cursor", 3, nullptr, nullptr, &child},
      {"the top-level window under the cursor", 4, nullptr, nullptr, &front},
      {"a named window that does not exist", 0, "TavionNoSuchClass", "nil", nullptr},
  };
  for (const auto& [what, mode, windowClass, caption, target] : cases) {
    SCOPED_TRACE(what);
    for (TestWindow* w : {&front, &named, &child}) w->messages.clear();
    TActionParamsSMsg& p = Prepare<TActionParamsSMsg>("ms_wmsg", TActionParamsMode::pmSMsg);
    p.SMsg = WM_APP + 7;
    p.Wprm = 5;
    p.Lprm = -3;
    p.Mode = mode;
    if (windowClass) p.AddWindow(windowClass, caption);
    Run();
    ASSERT_TRUE(PumpThroughSentinel());
    for (const TestWindow* w : {&front, &named, &child}) {
      const Triples expected = w == target ? Triples{{WM_APP + 7, 5, -3}} : Triples{};
      EXPECT_EQ(expected, w->Triples(WM_APP + 7));
    }
  }
}

TEST_F(WindowActionsTest, AScrollBarControlOfTheRightOrientationTakesTheMessages) {
  TestWindow front;
  const auto bar = [&](DWORD style, int x, int y, int width, int height) {
    return CreateWindowExW(0, L"ScrollBar", L"", WS_CHILD | WS_VISIBLE | style, x, y, width, height,
                           front.hwnd(), nullptr, nullptr, nullptr);
  };
  bar(SBS_HORZ, 0, 200, 200, 16);
  const HWND vertical = bar(SBS_VERT, 300, 0, 16, 200);
  EXPECT_TRUE(PostScroll(front.hwnd(), kScrollDown, 2, /*findScrollBar=*/true));
  ASSERT_TRUE(PumpThroughSentinel());
  const std::vector<wine_test::Message> scrolls = front.Of(WM_VSCROLL);
  ASSERT_EQ(2u, scrolls.size());
  EXPECT_EQ(reinterpret_cast<LPARAM>(vertical), scrolls[1].lParam);
}

// The adapter's two ways to a player: a command sent (there when the call returns) and one posted
// (there once this thread's queue is handled).
TEST_F(WindowActionsTest, APlayerTakesSentAndPostedCommandsButNeverTheLightAlloyBridge) {
  MediaPlayerOptions options;
  options.autodetect = false;
  MediaPlayerServices services;
  services.options = [&options] { return options; };
  services.ownerWindow = main_.hwnd();
  RegisterMediaPlayerExecutors(std::move(services));
  TestWindow winamp({.className = L"Winamp v1.x", .caption = L"Winamp", .style = kShown});
  // Light Alloy's bridge has Winamp's class too; it is found first, above Winamp.
  TestWindow bridge({.className = L"Winamp v1.x", .caption = L"WA2LA bridge", .style = kShown});
  ASSERT_TRUE(
      SetWindowPos(bridge.hwnd(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE));
  Run("wa_next");
  Run("wa_ffor");
  EXPECT_EQ((Triples{{WM_COMMAND, 40048, 0}}), winamp.Triples());
  ASSERT_TRUE(PumpThroughSentinel());
  EXPECT_EQ((Triples{{WM_COMMAND, 40048, 0}, {WM_COMMAND, 40060, 0}}), winamp.Triples());
  EXPECT_FALSE(bridge.Got(WM_COMMAND));
}

TEST_F(WindowActionsTest, ConditionsReadNamesAsUtf8AndRaiseTheUpperNamedWindow) {
  Win32WindowSystem windows(forceForeground);
  const TestWindow accented({.className = L"TavionModel\u00C9t\u00E9", .caption = L"\u2013"});
  EXPECT_EQ("TavionModel\xC3\x89t\xC3\xA9", windows.ClassName(ToWindowHandle(accented.hwnd())));
  EXPECT_EQ("\xE2\x80\x93", windows.Caption(ToWindowHandle(accented.hwnd())));

  // Of two windows that the condition names, the upper one.
  const TestWindow lower({.className = L"TavionModelTarget", .caption = L"Lower", .style = kShown});
  const TestWindow upper({.className = L"TavionModelTarget", .caption = L"Upper", .style = kShown});
  const TestWindow current({.style = kShown});
  ASSERT_TRUE(MakeForeground(current.hwnd()));
  TActionExecOnWItem item;
  item.AddWindow("TavionModelTarget", "nil");
  item.Enbl = true;
  EXPECT_TRUE(item.IfExists(windows, /*activate=*/true));
  EXPECT_TRUE(PumpUntil([&] { return GetForegroundWindow() == upper.hwnd(); }));
}

// Wine's Notepad in a process of its own, as the window actions meet windows as a rule: Wine does
// not read another process's window menu, and Notepad's thread carries out the changes.
class NotepadTest : public WindowActionsTest {
 protected:
  void SetUp() override {
    WindowActionsTest::SetUp();
    ASSERT_TRUE(notepad_.Start(L"notepad.exe"));
    ASSERT_NE(nullptr, window_ = wine_test::WaitForWindow(L"Notepad", notepad_.info.dwProcessId));
    ASSERT_TRUE(MakeForeground(window_));
  }
  // Runs `code` and waits until `done` holds for Notepad's window.
  bool RunUntil(const char* code, bool (*done)(HWND)) {
    Run(code);
    return PumpUntil([&] { return done(window_); });
  }

  wine_test::Process notepad_;
  HWND window_ = nullptr;
};

TEST_F(NotepadTest, EveryWindowCodeActsOnAnotherProgramsWindow) {
  EXPECT_TRUE(RunUntil("wm_wmax", [](HWND w) { return IsZoomed(w) != FALSE; }));
  EXPECT_TRUE(RunUntil("wm_wmax", [](HWND w) { return !IsZoomed(w); }));
  EXPECT_TRUE(RunUntil("wm_wtop", Topmost));
  EXPECT_TRUE(RunUntil("wm_wtop", [](HWND w) { return !Topmost(w); }));
  EXPECT_TRUE(RunUntil("wm_wctr", [](HWND w) {
    RECT r{};
    GetWindowRect(w, &r);
    const Point centre =
        CentredPosition(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN),
                        r.right - r.left, r.bottom - r.top);
    return r.left == centre.x && r.top == centre.y;
  }));
  EXPECT_TRUE(RunUntil("wm_s/\\h", [](HWND w) { return !IsWindowVisible(w); }));
  EXPECT_TRUE(RunUntil("wm_s/\\h", [](HWND w) { return GetForegroundWindow() == w; }));
  EXPECT_TRUE(RunUntil("wm_wmin", [](HWND w) { return IsIconic(w) != FALSE; }));
  ShowWindow(window_, SW_RESTORE);
  ASSERT_TRUE(MakeForeground(window_));
  Run("wm_wclz");
  EXPECT_TRUE(notepad_.WaitForExit(5000));
}

TEST_F(NotepadTest, AHungWindowDoesNotHoldTheCaller) {
  // Notepad's thread stops; should a call wait for it, a watchdog lets it go after half a minute.
  ASSERT_NE(static_cast<DWORD>(-1), SuspendThread(notepad_.info.hThread));
  const HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::atomic<bool> released = false;
  std::thread watchdog([&] {
    if (WaitForSingleObject(done, 30000) != WAIT_TIMEOUT) return;
    released = true;
    ResumeThread(notepad_.info.hThread);
  });
  for (const char* code : {"wm_wtop", "wm_wctr", "wm_s/\\h"}) Run(code);
  PrepareReplacement(0);  // asks the hung window to switch its language first
  Run();
  SetEvent(done);
  watchdog.join();
  CloseHandle(done);
  EXPECT_FALSE(released) << "a call waited for the hung window";
  if (!released) ResumeThread(notepad_.info.hThread);
  // Notepad carries the requests out once it runs again.
  EXPECT_TRUE(PumpUntil([&] { return Topmost(window_) && !IsWindowVisible(window_); }));
}

// The copy the running-copy switch chose, brought to the front as the program's helper does.
HWND chosenCopy = nullptr;
BOOL WINAPI ChooseCopy(HWND window) {
  chosenCopy = window;
  return MakeForeground(window);
}

TEST_F(NotepadTest, TheRunningCopySwitchGoesToTheOtherCopyOfAProgramByItsFileName) {
  EXPECT_FALSE(ActivateRunningCopy(L"C:\\any\\no_such_program.exe", nullptr));
  wine_test::Process second;
  ASSERT_TRUE(second.Start(L"notepad.exe"));
  const HWND copies[] = {window_, wine_test::WaitForWindow(L"Notepad", second.info.dwProcessId)};
  ASSERT_NE(nullptr, copies[1]);
  // The copies come to the front on their own as they start: the last one settles there first.
  ASSERT_TRUE(MakeForeground(copies[1]));
  for (const HWND other : copies) {
    ASSERT_TRUE(ActivateRunningCopy(L"Z:\\elsewhere\\NOTEPAD.EXE", &ChooseCopy));
    EXPECT_EQ(other, chosenCopy);
    EXPECT_EQ(other, GetForegroundWindow());
  }
}

// What the probe reported once it has, waited for.
std::optional<std::wstring> ProbeReport(const wchar_t* name) {
  wchar_t value[1024] = {};
  const auto read = [&] {
    DWORD size = sizeof value;
    return RegGetValueW(HKEY_CURRENT_USER, L"Software\\Quillon\\LaunchProbe", name, RRF_RT_REG_SZ,
                        nullptr, value, &size) == ERROR_SUCCESS;
  };
  if (!PumpUntil(read, 10000)) return std::nullopt;
  return value;
}

// A variable of this process's environment: the folders there have no trailing backslash.
std::wstring Environment(const wchar_t* name) {
  wchar_t value[MAX_PATH] = {};
  GetEnvironmentVariableW(name, value, MAX_PATH);
  return value;
}

class LaunchTest : public ExecTest {
 protected:
  void SetUp() override {
    ExecTest::SetUp();
    TAction& action = actions_.Add();
    action.SetExec("srun");
    action.SetName("Run probe");
    params_ = action.ParamsAs<TActionParamsSExec>();
    LaunchEnvironment environment;
    environment.owner = main_.hwnd();
    environment.programFolder = wine_test::ProgramFolder();
    RegisterLaunchExecutors(std::move(environment));
  }

  // Runs the action while a thread of its own answers this process's windows of `className` in
  // turn with `answer`, which says whether another is to come.
  void RunAnswering(const wchar_t* className, const std::function<bool(HWND)>& answer) {
    std::thread answerer([&] {
      for (bool more = true; more;) {
        const HWND window = wine_test::WaitForWindow(className, GetCurrentProcessId());
        if (window == nullptr) return;
        more = answer(window);
        PumpUntil([window] { return !IsWindow(window); });
      }
    });
    ExecuteAction("srun", 0, false);
    answerer.join();
  }
  // Answers the input dialogs with `answers` (nullopt: Cancel); returns their captions.
  std::vector<std::wstring> RunAnswering(std::vector<std::optional<std::wstring>> answers) {
    std::vector<std::wstring> captions;
    RunAnswering(kInputFormClass, [&](HWND dialog) {
      captions.push_back(wine_test::WindowText(dialog));
      const std::optional<std::wstring>& answer = answers[captions.size() - 1];
      if (answer) SetWindowTextW(FindWindowExW(dialog, nullptr, L"Edit", nullptr), answer->c_str());
      Press(dialog, FindWindowExW(dialog, nullptr, L"Button", answer ? L"OK" : L"Cancel"));
      return captions.size() < answers.size();
    });
    return captions;
  }
  static void Press(HWND dialog, HWND button) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
  }

  TActionParamsSExec* params_ = nullptr;
};

TEST_F(LaunchTest, InputDialogsFillTheVariablesCancelAbandonsAndAMissingFileShowsTheSystemsText) {
  params_->Path = "%input%";
  params_->Parm = "first %input% %input% %windir%";
  params_->Fold = "%temp%";
  EXPECT_EQ(
      (std::vector<std::wstring>{L"Input parametr #1", L"Input parametr #1", L"Input parametr #2"}),
      RunAnswering(
          {wine_test::ProgramFolder() + L"\\launch_probe.exe", L"typed value", L"second"}));
  const std::optional<std::wstring> commandLine = ProbeReport(L"CommandLine");
  ASSERT_TRUE(commandLine);
  // Which folder each variable names is decided natively; this is the system's answer.
  const std::wstring tail = L" first typed value second " + Environment(L"windir");
  EXPECT_TRUE(commandLine->ends_with(tail)) << *commandLine;
  EXPECT_EQ(Environment(L"TEMP"), ProbeReport(L"Folder"));

  RunAnswering({std::nullopt});
  EXPECT_EQ((std::vector<std::string>{"", "error in variable %input%"}), main_.texts);

  // A missing file: code 2 and the system's text in a system-modal box.
  params_->Path = "%temp%\\no_such_program.exe";
  params_->Parm.clear();
  std::wstring text;
  bool topmost = false;
  RunAnswering(L"#32770", [&](HWND box) {
    text = wine_test::WindowText(GetDlgItem(box, 0xFFFF));
    topmost = (GetWindowLongW(box, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    Press(box, GetDlgItem(box, IDOK));
    return false;
  });
  EXPECT_TRUE(topmost);
  wchar_t systemText[256] = {};
  ASSERT_NE(0u, FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, 2, LANG_USER_DEFAULT,
                               systemText, 256, nullptr));
  EXPECT_TRUE(text.starts_with(L"Error on action execute:\r\raction:\t\tRun probe\r")) << text;
  EXPECT_NE(std::wstring::npos, text.find(std::wstring(L"\rcode:\t\t2\rstring:\t\t") + systemText))
      << text;
  EXPECT_STREQ("", FormateErrorStr(0xFFFFFFFF)) << "an unknown code: no text, yet never null";
}

TEST(LaunchVariables, DatesInTheLocalesDayNames) {
  SYSTEMTIME now = {};
  GetLocalTime(&now);
  wchar_t day[64] = {};
  ASSERT_GT(GetDateFormatW(LOCALE_USER_DEFAULT, 0, &now, L"yyyy dddd", day, 64), 0);
  EXPECT_EQ(WideToUtf8(day), DateTimeVariable("yyyy dddd", Win32LaunchSystem(L"C:\\Prog")));
}

}  // namespace
}  // namespace tavion
