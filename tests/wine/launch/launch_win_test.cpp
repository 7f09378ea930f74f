// "srun" through the dispatcher with the probe program, its input dialogs and its error box, the
// shell launch's bound, the running-copy switch and the folder and date variables.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
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
#include "exec/launch_system_win.h"
#include "exec/main_messages.h"
#include "exec/shell_launch_win.h"
#include "settings/settings.h"
#include "wine/exec/exec_test_window.h"
#include "wine/support/test_support.h"

namespace tavion {
namespace {

using wine_test::PumpUntil;

std::wstring ProbePath() {
  return wine_test::ProgramFolder() + L"\\launch_probe.exe";
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

// A folder of the system without its trailing backslash; -1 the folder for temporary files.
std::wstring ShellFolder(int csidl) {
  wchar_t path[MAX_PATH + 1] = {};
  if (csidl < 0) {
    GetTempPathW(MAX_PATH + 1, path);
  } else {
    SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
  }
  std::wstring folder = path;
  if (!folder.empty() && folder.back() == L'\\') folder.pop_back();
  return folder;
}

// The first visible window of `className` of process `process`, waited for; null when none came.
HWND WaitForWindow(const wchar_t* className, DWORD process = GetCurrentProcessId()) {
  HWND found = nullptr;
  PumpUntil([&] {
    for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, className, nullptr));) {
      DWORD owner = 0;
      GetWindowThreadProcessId(w, &owner);
      if (owner == process && IsWindowVisible(w)) return (found = w) != nullptr;
    }
    return false;
  });
  return found;
}

// Answers this process's windows of `className` in turn from a thread of its own: `answer` sees
// each one and says whether another is to come.
class Answerer {
 public:
  Answerer(const wchar_t* className, std::function<bool(HWND)> answer)
      : thread_([className, answer = std::move(answer)] {
          for (bool more = true; more;) {
            const HWND window = WaitForWindow(className);
            if (window == nullptr) return;
            more = answer(window);
            PumpUntil([window] { return !IsWindow(window); });
          }
        }) {}
  ~Answerer() { Join(); }
  void Join() {
    if (thread_.joinable()) thread_.join();
  }

 private:
  std::thread thread_;
};

std::wstring TextOf(HWND window) {
  wchar_t text[1024] = {};
  GetWindowTextW(window, text, 1024);
  return text;
}

void Press(HWND dialog, int id, const wchar_t* caption = nullptr) {
  const HWND button =
      caption ? FindWindowExW(dialog, nullptr, L"Button", caption) : GetDlgItem(dialog, id);
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
               reinterpret_cast<LPARAM>(button));
}

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
    environment.programFolder = wine_test::ProgramFolder();
    RegisterLaunchExecutors(std::move(environment));
  }
  void TearDown() override {
    SetExecHost(nullptr);
    ClearExecutors();
    ResetSettings();
  }

  // Runs the action, answering its input dialogs with `answers` (nullopt: Cancel); returns the
  // dialogs' captions.
  std::vector<std::wstring> RunAnswering(std::vector<std::optional<std::wstring>> answers) {
    std::vector<std::wstring> captions;
    Answerer answerer(kInputFormClass, [&](HWND dialog) {
      captions.push_back(TextOf(dialog));
      const std::optional<std::wstring>& answer = answers[captions.size() - 1];
      if (!answer) {
        Press(dialog, 0, L"Cancel");
      } else {
        SetWindowTextW(FindWindowExW(dialog, nullptr, L"Edit", nullptr), answer->c_str());
        Press(dialog, 0, L"OK");
      }
      return captions.size() < answers.size();
    });
    ExecuteAction("srun", 0, false);
    answerer.Join();
    return captions;
  }
  // What the notifications carried.
  std::vector<std::string> Notified() const {
    std::vector<std::string> texts;
    for (const auto& note : window.Of(WM_TV_NOTIFY)) texts.push_back(note.result.notifyText);
    return texts;
  }

  exec_test::RecordingWindow window;
  TActionsList actions;
  TActionParamsSExec* params = nullptr;
  std::unique_ptr<WinExecHost> host;
};

TEST_F(LaunchTest, InputDialogsNumberedPerTextFillTheVariablesAndCancelAbandons) {
  params->Path = "%input%";
  params->Parm = "first %input% %input% %windir%";
  params->Fold = "%temp%";
  const std::vector<std::wstring> captions = RunAnswering({ProbePath(), L"typed value", L"second"});
  EXPECT_EQ(
      (std::vector<std::wstring>{L"Input parametr #1", L"Input parametr #1", L"Input parametr #2"}),
      captions);
  const std::optional<std::wstring> commandLine = ProbeReport(L"CommandLine");
  ASSERT_TRUE(commandLine);
  const std::wstring tail = L" first typed value second " + ShellFolder(CSIDL_WINDOWS);
  EXPECT_TRUE(commandLine->ends_with(tail)) << *commandLine;
  EXPECT_EQ(ShellFolder(-1), ProbeReport(L"Folder"));
  EXPECT_EQ(std::vector<std::string>{""}, Notified());

  RunAnswering({std::nullopt});
  EXPECT_EQ((std::vector<std::string>{"", "error in variable %input%"}), Notified());
}

TEST_F(LaunchTest, AMissingFileShowsCodeTwoInASystemModalErrorBox) {
  params->Path = "%temp%\\no_such_program.exe";
  std::wstring text;
  bool topmost = false;
  Answerer box(L"#32770", [&](HWND found) {
    text = TextOf(GetDlgItem(found, 0xFFFF));
    topmost = (GetWindowLongW(found, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    Press(found, IDOK);
    return false;
  });
  ExecuteAction("srun", 0, false);
  box.Join();
  EXPECT_TRUE(topmost);
  EXPECT_TRUE(text.starts_with(L"Error on action execute:\r\raction:\t\tRun probe\r")) << text;
  EXPECT_NE(std::wstring::npos, text.find(L"\rfile/path:\t\t%temp%\\no_such_program.exe\r"));
  EXPECT_NE(std::wstring::npos, text.find(L"\rcode:\t\t2\rstring:\t\t"));
  EXPECT_EQ(1u, Notified().size());
}

TEST(ShellLaunch, ResultIsTheShellsAndZeroWhenItDoesNotAnswerInTime) {
  EXPECT_EQ(2, ShellLaunch(L"", ShellFolder(-1) + L"\\no_such_program.exe", L"", L"", SW_SHOWNORMAL,
                           6000));
  // Given no time, the caller sees 0; the launch still completes on the worker thread.
  EXPECT_EQ(0, ShellLaunch(L"", ProbePath(), L"late", L"", SW_SHOWNORMAL, 0));
  const std::optional<std::wstring> commandLine = ProbeReport(L"CommandLine");
  ASSERT_TRUE(commandLine);
  EXPECT_TRUE(commandLine->ends_with(L"late")) << *commandLine;
}

// Probes with windows, ended by their process handles when the test ends.
class RunningCopies {
 public:
  explicit RunningCopies(int count) {
    for (int i = 0; i < count; ++i) {
      STARTUPINFOW startup = {};
      startup.cb = sizeof startup;
      PROCESS_INFORMATION process = {};
      std::wstring commandLine = L"\"" + ProbePath() + L"\" --window";
      if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &process))
        continue;
      CloseHandle(process.hThread);
      processes.push_back(process.hProcess);
      windows.push_back(WaitForWindow(L"LaunchProbeWindow", process.dwProcessId));
    }
  }
  ~RunningCopies() {
    for (HANDLE process : processes) {
      TerminateProcess(process, 0);
      WaitForSingleObject(process, 5000);
      CloseHandle(process);
    }
  }

  std::vector<HANDLE> processes;
  std::vector<HWND> windows;
};

TEST(ActivateRunningCopy, SwitchesBetweenTheCopiesOfAProgramByItsFileName) {
  EXPECT_FALSE(ActivateRunningCopy(L"C:\\any\\launch_probe.exe", nullptr));
  RunningCopies copies(2);
  ASSERT_EQ(2u, copies.windows.size());
  for (HWND window : copies.windows) ASSERT_NE(nullptr, window);
  // The copies come to the front on their own as they start: the last one settles there first.
  ASSERT_TRUE(wine_test::MakeForeground(copies.windows.back()));
  for (int step = 0; step < 3; ++step) {
    const HWND other =
        GetForegroundWindow() == copies.windows[0] ? copies.windows[1] : copies.windows[0];
    ASSERT_TRUE(ActivateRunningCopy(L"Z:\\elsewhere\\LAUNCH_PROBE.EXE", nullptr));
    EXPECT_TRUE(PumpUntil([other] { return GetForegroundWindow() == other; })) << "step " << step;
  }
}

TEST(LaunchVariables, FoldersWithoutTrailingBackslashAndTheLocalesDates) {
  const Win32LaunchSystem system(L"C:\\Prog\\");
  const std::wstring folders =
      ShellFolder(CSIDL_WINDOWS) + L"|" + ShellFolder(CSIDL_SYSTEM) + L"|" + ShellFolder(-1) +
      L"|C:\\Prog|" + ShellFolder(CSIDL_DESKTOPDIRECTORY) + L"|" + ShellFolder(CSIDL_APPDATA);
  EXPECT_EQ(WideToUtf8(folders),
            ExpandVariables("%WINDIR%|%sysdir%|%temp%|%exe%|%desktop%|%appdata%", system));

  SYSTEMTIME now = {};
  GetLocalTime(&now);
  EXPECT_EQ(std::to_string(now.wYear), DateTimeVariable("yyyy", system));
  wchar_t day[64] = {};
  ASSERT_GT(GetDateFormatW(LOCALE_USER_DEFAULT, 0, &now, L"dddd", day, 64), 0);
  EXPECT_EQ(WideToUtf8(day), DateTimeVariable("dddd", system)) << "the locale's name of today";
}

}  // namespace
}  // namespace tavion
