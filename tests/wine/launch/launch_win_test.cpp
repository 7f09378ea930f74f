#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "actions/action.h"
#include "actions/params.h"
#include "base/utf_win.h"
#include "exec/exec_host_win.h"
#include "exec/input_form_win.h"
#include "exec/launch_executor_win.h"
#include "exec/shell_launch_win.h"
#include "settings/settings.h"
#include "exec/main_messages.h"
#include "wine/exec/exec_test_window.h"

// Rectangles compare by their corners (gtest looks the operator up beside RECT).
inline bool operator==(const RECT& a, const RECT& b) {
  return EqualRect(&a, &b) != FALSE;
}

namespace tavion {
namespace {

using exec_test::PumpUntil;
using exec_test::RecordingWindow;

std::wstring OwnFolder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder = path;
  return folder.substr(0, folder.find_last_of(L'\\'));
}

std::wstring ProbePath() {
  return OwnFolder() + L"\\launch_probe.exe";
}

// What the probe reported, or nullopt while it has not.
std::optional<std::wstring> ProbeReport(const wchar_t* name) {
  wchar_t value[1024] = {};
  DWORD size = sizeof value;
  if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\Quillon\\LaunchProbe", name, RRF_RT_REG_SZ,
                   nullptr, value, &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return value;
}

bool WaitForProbe() {
  return PumpUntil([] { return ProbeReport(L"CommandLine").has_value(); }, 10000);
}

std::wstring WithoutTrailingBackslash(std::wstring path) {
  if (!path.empty() && path.back() == L'\\') path.pop_back();
  return path;
}

std::wstring ShellFolder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
  return WithoutTrailingBackslash(path);
}

std::wstring TempFolder() {
  wchar_t path[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH + 1, path);
  return WithoutTrailingBackslash(path);
}

struct FindRequest {
  const wchar_t* className;
  const wchar_t* caption;  // null: any
  DWORD process;
  HWND found = nullptr;
};

BOOL CALLBACK FindWindowProc(HWND window, LPARAM parameter) {
  auto& request = *reinterpret_cast<FindRequest*>(parameter);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  wchar_t className[64] = {}, caption[64] = {};
  GetClassNameW(window, className, 64);
  GetWindowTextW(window, caption, 64);
  if (process == request.process && lstrcmpW(className, request.className) == 0 &&
      (request.caption == nullptr || lstrcmpW(caption, request.caption) == 0) &&
      IsWindowVisible(window)) {
    request.found = window;
    return FALSE;
  }
  return TRUE;
}

// The visible top-level window of `className` (and `caption`) of process `process`, waiting up
// to 10 s for it; null when none came.
HWND WaitForWindow(const wchar_t* className, const wchar_t* caption,
                   DWORD process = GetCurrentProcessId()) {
  const ULONGLONG deadline = GetTickCount64() + 10000;
  while (GetTickCount64() < deadline) {
    FindRequest request{className, caption, process};
    EnumWindows(FindWindowProc, reinterpret_cast<LPARAM>(&request));
    if (request.found != nullptr) return request.found;
    Sleep(20);
  }
  return nullptr;
}

std::wstring TextOf(HWND window) {
  wchar_t text[1024] = {};
  GetWindowTextW(window, text, 1024);
  return text;
}

void Press(HWND dialog, HWND button) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
               reinterpret_cast<LPARAM>(button));
}

// One input dialog as the driver saw it.
struct DialogSeen {
  std::wstring caption;
  HWND owner = nullptr;
  RECT window{};
  RECT client{};
  RECT edit{};  // in client coordinates
  bool topmost = false;
};

// Answers the input dialogs in turn from its own thread: a value is typed and OK pressed,
// nullopt presses Cancel. `whileOpen` runs while the first dialog is open.
class DialogDriver {
 public:
  DialogDriver(std::vector<std::optional<std::wstring>> answers,
               std::function<void()> whileOpen = {})
      : thread_([this, answers = std::move(answers), whileOpen = std::move(whileOpen)] {
          for (const std::optional<std::wstring>& answer : answers) {
            const HWND dialog = WaitForWindow(kInputFormClass, nullptr);
            if (dialog == nullptr) return;
            Sleep(100);  // let the dialog finish its first showing
            DialogSeen seen;
            seen.caption = TextOf(dialog);
            seen.owner = GetWindow(dialog, GW_OWNER);
            GetWindowRect(dialog, &seen.window);
            GetClientRect(dialog, &seen.client);
            seen.topmost = (GetWindowLongW(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
            const HWND edit = FindWindowExW(dialog, nullptr, L"Edit", nullptr);
            GetWindowRect(edit, &seen.edit);
            MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&seen.edit), 2);
            if (whileOpen && dialogs.empty()) whileOpen();
            dialogs.push_back(seen);
            if (answer) {
              SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(answer->c_str()));
              Press(dialog, FindWindowExW(dialog, nullptr, L"Button", L"OK"));
            } else {
              Press(dialog, FindWindowExW(dialog, nullptr, L"Button", L"Cancel"));
            }
            const ULONGLONG deadline = GetTickCount64() + 5000;
            while (IsWindow(dialog) && GetTickCount64() < deadline) Sleep(10);
          }
        }) {}
  ~DialogDriver() { Join(); }
  void Join() {
    if (thread_.joinable()) thread_.join();
  }

  std::vector<DialogSeen> dialogs;

 private:
  std::thread thread_;
};

// Reads this process's "Tavion" message box and presses OK.
class ErrorBoxDriver {
 public:
  ErrorBoxDriver()
      : thread_([this] {
          const HWND box = WaitForWindow(L"#32770", L"Tavion");
          if (box == nullptr) return;
          Sleep(100);
          found = true;
          text = TextOf(GetDlgItem(box, 0xFFFF));
          topmost = (GetWindowLongW(box, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
          Press(box, GetDlgItem(box, IDOK));
        }) {}
  ~ErrorBoxDriver() { Join(); }
  void Join() {
    if (thread_.joinable()) thread_.join();
  }

  bool found = false;
  std::wstring text;
  bool topmost = false;

 private:
  std::thread thread_;
};

class LaunchTest : public testing::Test {
 protected:
  void SetUp() override {
    ResetSettings();
    ClearExecutors();
    TAction& action = actions.Add();
    action.SetExec("srun");
    action.SetName("Run probe");
    params = action.ParamsAs<TActionParamsSExec>();
    MainWindowServices services;
    services.actionByIndex = [this](int index) {
      return actions.At(static_cast<std::size_t>(index));
    };
    host = std::make_unique<WinExecHost>(window.hwnd(), std::move(services));
    SetExecHost(host.get());
    LaunchEnvironment environment;
    environment.owner = window.hwnd();
    environment.programFolder = OwnFolder();
    RegisterLaunchExecutors(std::move(environment));
  }
  void TearDown() override {
    SetExecHost(nullptr);
    ClearExecutors();
    ResetSettings();
  }

  size_t Notifications() const { return window.Of(WM_TV_NOTIFY).size(); }
  // What the last notification carried.
  ExecResult Notified() const {
    const auto notes = window.Of(WM_TV_NOTIFY);
    return notes.empty() ? ExecResult{"<none>"} : notes.back().result;
  }

  RecordingWindow window;
  TActionsList actions;
  TActionParamsSExec* params = nullptr;
  std::unique_ptr<WinExecHost> host;
};

TEST_F(LaunchTest, StartsTheProbeWithExpandedVariablesParametersAndFolder) {
  params->Path = "%EXE%\\launch_probe.exe";
  params->Parm = "first %input% %windir%";
  params->Fold = "%temp%";
  DialogDriver driver({L"typed value"});
  ExecuteAction("srun", 0, false);
  driver.Join();
  ASSERT_TRUE(WaitForProbe());

  const std::wstring commandLine = *ProbeReport(L"CommandLine");
  const std::wstring expectedTail = L" first typed value " + ShellFolder(CSIDL_WINDOWS);
  ASSERT_GE(commandLine.size(), expectedTail.size());
  EXPECT_EQ(expectedTail, commandLine.substr(commandLine.size() - expectedTail.size()));
  EXPECT_EQ(TempFolder(), *ProbeReport(L"Folder"));
  EXPECT_EQ(1u, Notifications());
  EXPECT_EQ("", Notified().notifyText);

  ASSERT_EQ(1u, driver.dialogs.size());
  const DialogSeen& dialog = driver.dialogs[0];
  EXPECT_EQ(L"Input parametr #1", dialog.caption);
  EXPECT_EQ(nullptr, dialog.owner);
  EXPECT_TRUE(dialog.topmost);
  EXPECT_EQ(283, dialog.client.right);
  EXPECT_EQ(100, dialog.client.bottom);
  EXPECT_EQ((RECT{8, 8, 239, 29}), dialog.edit);
}

TEST_F(LaunchTest, InputDialogsAreNumberedPerTextAndCancelAbandonsTheLaunch) {
  params->Path = "%input%";
  params->Parm = "%input% %input%";
  DialogDriver driver({ProbePath(), L"x", std::nullopt});
  ExecuteAction("srun", 0, false);
  driver.Join();

  ASSERT_EQ(3u, driver.dialogs.size());
  EXPECT_EQ(L"Input parametr #1", driver.dialogs[0].caption);
  EXPECT_EQ(L"Input parametr #1", driver.dialogs[1].caption);
  EXPECT_EQ(L"Input parametr #2", driver.dialogs[2].caption);
  EXPECT_EQ("error in variable %input%", Notified().notifyText);
  EXPECT_FALSE(Notified().notifyError);
  EXPECT_EQ(1u, Notifications());
  PumpUntil([] { return false; }, 500);
  EXPECT_FALSE(ProbeReport(L"CommandLine").has_value());
}

TEST_F(LaunchTest, FirstDialogIsCentredAndLaterOnesKeepTheRememberedPlace) {
  params->Path = "%input%";
  params->Parm = "%input%";
  DialogDriver driver({L"a", std::nullopt});
  ExecuteAction("srun", 0, false);
  driver.Join();

  ASSERT_EQ(2u, driver.dialogs.size());
  const RECT first = driver.dialogs[0].window;
  const int width = first.right - first.left, height = first.bottom - first.top;
  EXPECT_EQ((GetSystemMetrics(SM_CXSCREEN) - width) / 2, first.left);
  EXPECT_EQ((GetSystemMetrics(SM_CYSCREEN) - height) / 2, first.top);
  EXPECT_EQ(first, driver.dialogs[1].window);
  EXPECT_EQ(first.left, Settings().FormInput_Left);
  EXPECT_EQ(first.top, Settings().FormInput_Top);

  Settings().FormInput_Left = 40;
  Settings().FormInput_Top = 50;
  DialogDriver placed({std::nullopt});
  ExecuteAction("srun", 0, false);
  placed.Join();
  ASSERT_EQ(1u, placed.dialogs.size());
  EXPECT_EQ(40, placed.dialogs[0].window.left);
  EXPECT_EQ(50, placed.dialogs[0].window.top);
}

TEST_F(LaunchTest, SecondRunWhileADialogIsOpenRaisesItAndEndsWithoutNotification) {
  params->Path = "%input%";
  std::atomic<bool> secondReturned{false};
  std::atomic<bool> dialogInFront{false};
  DialogDriver driver({std::nullopt}, [&] {
    ExecuteAction("srun", 0, false);  // on the driver's thread, while the dialog is open
    secondReturned = true;
    dialogInFront = GetForegroundWindow() == WaitForWindow(kInputFormClass, nullptr);
  });
  ExecuteAction("srun", 0, false);
  driver.Join();
  EXPECT_TRUE(secondReturned.load());
  EXPECT_TRUE(dialogInFront.load());
  EXPECT_EQ(1u, Notifications());  // only the first run's
  EXPECT_FALSE(InputDialogOpen());
}

TEST_F(LaunchTest, MissingFileShowsCodeTwoInTheErrorBox) {
  params->Path = "%temp%\\no_such_program.exe";
  ErrorBoxDriver box;
  ExecuteAction("srun", 0, false);
  box.Join();
  ASSERT_TRUE(box.found);
  EXPECT_TRUE(box.topmost);  // system-modal
  const std::wstring& text = box.text;
  EXPECT_EQ(0u, text.find(L"Error on action execute:\r\raction:\t\tRun probe\r")) << text;
  EXPECT_NE(std::wstring::npos, text.find(L"\rfile/path:\t\t%temp%\\no_such_program.exe\r"));
  EXPECT_NE(std::wstring::npos, text.find(L"\rcode:\t\t2\rstring:\t\t"));
  // The system's own text for code 2 follows.
  wchar_t systemText[256] = {};
  FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, 2,
                 LANG_USER_DEFAULT, systemText, 256, nullptr);
  ASSERT_NE(L'\0', systemText[0]);
  EXPECT_NE(std::wstring::npos, text.find(std::wstring(systemText).substr(0, 10)));
  EXPECT_EQ(1u, Notifications());
}

TEST(ShellLaunch, ResultIsTheShellsAndZeroWhenItDoesNotAnswerInTime) {
  EXPECT_EQ(
      2, ShellLaunch(L"", TempFolder() + L"\\no_such_program.exe", L"", L"", SW_SHOWNORMAL, 6000));
  EXPECT_GT(ShellLaunch(L"open", ProbePath(), L"on-time", L"", SW_SHOWNORMAL, 6000), 32);
  ASSERT_TRUE(WaitForProbe());
  EXPECT_NE(std::wstring::npos, ProbeReport(L"CommandLine")->find(L"on-time"));

  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Quillon\\LaunchProbe");
  // Given no time, the caller sees 0; the launch still completes on the worker thread.
  EXPECT_EQ(0, ShellLaunch(L"", ProbePath(), L"late", L"", SW_SHOWNORMAL, 0));
  ASSERT_TRUE(WaitForProbe());
  EXPECT_NE(std::wstring::npos, ProbeReport(L"CommandLine")->find(L"late"));
}

// Probes with windows (`options` added to "--window"), ended by their ids when the test ends.
class RunningCopies {
 public:
  explicit RunningCopies(int count = 3, const wchar_t* options = L"") {
    for (int i = 0; i < count; ++i) {
      STARTUPINFOW startup = {};
      startup.cb = sizeof startup;
      PROCESS_INFORMATION process = {};
      std::wstring commandLine = L"\"" + ProbePath() + L"\" --window" + options;
      if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &startup, &process)) {
        continue;
      }
      CloseHandle(process.hThread);
      processes.push_back(process.hProcess);
      ids.push_back(process.dwProcessId);
      windows.push_back(WaitForWindow(L"LaunchProbeWindow", nullptr, process.dwProcessId));
    }
    std::ranges::sort(ids);
  }
  ~RunningCopies() {
    for (HANDLE process : processes) {
      TerminateProcess(process, 0);
      WaitForSingleObject(process, 5000);
      CloseHandle(process);
    }
  }

  std::vector<HANDLE> processes;
  std::vector<DWORD> ids;  // ascending
  std::vector<HWND> windows;
};

DWORD ForegroundProcess() {
  DWORD process = 0;
  GetWindowThreadProcessId(GetForegroundWindow(), &process);
  return process;
}

TEST(ActivateRunningCopy, CyclesThroughThreeCopiesInProcessOrder) {
  EXPECT_FALSE(ActivateRunningCopy(L"C:\\any\\launch_probe.exe", nullptr));
  RunningCopies copies;
  ASSERT_EQ(3u, copies.ids.size());
  for (HWND window : copies.windows) ASSERT_NE(nullptr, window);

  // The copies come to the front on their own as they start; let the last one settle there
  // first, so that every step starts from a known foreground.
  SetForegroundWindow(copies.windows.back());
  PumpUntil([&] { return GetForegroundWindow() == copies.windows.back(); }, 2000);

  std::vector<DWORD> visited;
  for (int i = 0; i < 4; ++i) {
    const DWORD before = ForegroundProcess();
    const auto at = std::ranges::find(copies.ids, before);
    const DWORD expected =
        at == copies.ids.end() ? copies.ids[0] : copies.ids[(at - copies.ids.begin() + 1) % 3];
    ASSERT_TRUE(ActivateRunningCopy(L"Z:\\elsewhere\\LAUNCH_PROBE.EXE", nullptr));
    PumpUntil([&] { return ForegroundProcess() == expected; }, 2000);
    EXPECT_EQ(expected, ForegroundProcess()) << "step " << i;
    visited.push_back(ForegroundProcess());
  }
  std::vector<DWORD> distinct(visited.begin(), visited.begin() + 3);
  std::ranges::sort(distinct);
  EXPECT_EQ(copies.ids, distinct);
}

TEST(ActivateRunningCopy, FindsACopyThatOpensOnlyForTheLimitedQuery) {
  RunningCopies copies(1, L" --guarded");
  ASSERT_EQ(1u, copies.ids.size());
  ASSERT_NE(nullptr, copies.windows[0]);
  ASSERT_EQ(nullptr, OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, copies.ids[0]))
      << "the probe's process must refuse the full query";
  EXPECT_TRUE(ActivateRunningCopy(L"launch_probe.exe", nullptr));
}

TEST(FolderVariables, AreTheSystemsFoldersWithoutTrailingBackslash) {
  const Win32LaunchSystem system(L"C:\\Prog\\");
  const std::string expanded =
      ExpandVariables("%WINDIR%|%sysdir%|%temp%|%exe%|%desktop%|%appdata%", system);
  const std::wstring expected =
      ShellFolder(CSIDL_WINDOWS) + L"|" + ShellFolder(CSIDL_SYSTEM) + L"|" + TempFolder() +
      L"|C:\\Prog|" + ShellFolder(CSIDL_DESKTOPDIRECTORY) + L"|" + ShellFolder(CSIDL_APPDATA);
  EXPECT_EQ(WideToUtf8(expected), expanded);
}

TEST(FolderVariables, DateTimeFollowsTheFormatOrTheLocale) {
  const Win32LaunchSystem system(L"C:\\Prog");
  SYSTEMTIME now = {};
  GetLocalTime(&now);
  EXPECT_EQ(std::to_string(now.wYear), DateTimeVariable("yyyy", system));
  const std::string fallback = DateTimeVariable("", system);
  const size_t slash = fallback.find(" / ");
  ASSERT_NE(std::string::npos, slash) << fallback;
  EXPECT_NE(std::string::npos, fallback.find(std::to_string(now.wYear % 100), slash));
}

}  // namespace
}  // namespace tavion
