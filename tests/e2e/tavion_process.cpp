#include "tavion_process.h"

#include <gtest/gtest.h>

#include <vector>

namespace tavion::e2e {

std::wstring TestProgramFolder() {
  wchar_t path[MAX_PATH * 2] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH * 2);
  std::wstring folder(path, length);
  const size_t slash = folder.find_last_of(L"\\/");
  return slash == std::wstring::npos ? L"." : folder.substr(0, slash);
}

void PumpMessagesFor(std::chrono::milliseconds duration) {
  const auto deadline = std::chrono::steady_clock::now() + duration;
  for (;;) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    const auto now = std::chrono::steady_clock::now();
    if (now >= deadline) return;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left.count()), QS_ALLINPUT);
  }
}

namespace {

struct WindowQuery {
  DWORD pid;
  const wchar_t* className;
  const wchar_t* caption;
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND hwnd, LPARAM lParam) {
  auto* query = reinterpret_cast<WindowQuery*>(lParam);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != query->pid) return TRUE;
  if (query->className) {
    wchar_t name[256] = {};
    GetClassNameW(hwnd, name, 256);
    if (lstrcmpiW(name, query->className) != 0) return TRUE;
  }
  if (query->caption && WindowText(hwnd) != query->caption) return TRUE;
  query->found = hwnd;
  return FALSE;
}

}  // namespace

HWND FindProcessWindow(DWORD pid, const wchar_t* className, const wchar_t* caption) {
  WindowQuery query{pid, className, caption, nullptr};
  EnumWindows(&MatchWindow, reinterpret_cast<LPARAM>(&query));
  return query.found;
}

std::wstring WindowText(HWND window, int childId) {
  if (childId != 0) window = GetDlgItem(window, childId);
  if (!window) return {};
  // WM_GETTEXT through SendMessageTimeout: a hung target must not hang the test.
  std::vector<wchar_t> text(1024);
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                           SMTO_ABORTIFHUNG, 2000, &copied)) {
    return {};
  }
  return std::wstring(text.data(), copied);
}

std::wstring StaticText(HWND dialog) {
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    wchar_t name[64] = {};
    GetClassNameW(child, name, 64);
    if (lstrcmpiW(name, L"Static") != 0) continue;
    std::wstring text = WindowText(child);
    if (!text.empty()) return text;
  }
  return {};
}

TavionProcess::~TavionProcess() {
  Kill();
}

bool TavionProcess::Start(const std::wstring& arguments, const std::wstring& exe) {
  const std::wstring path = exe.empty() ? TestProgramFolder() + L"\\Tavion.exe" : exe;
  std::wstring commandLine = L"\"" + path + L"\"";
  if (!arguments.empty()) commandLine += L" " + arguments;
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  if (!CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &info)) {
    return false;
  }
  CloseHandle(info.hThread);
  process_ = info.hProcess;
  pid_ = info.dwProcessId;
  return true;
}

HWND TavionProcess::WaitForMainWindow(std::chrono::milliseconds timeout) {
  HWND window = nullptr;
  WaitUntil([&] { return (window = FindProcessWindow(pid_, L"TAVION_ROOTWINDOW", nullptr)); },
            timeout);
  return window;
}

std::optional<DWORD> TavionProcess::WaitForExit(std::chrono::milliseconds timeout) {
  if (!process_) return std::nullopt;
  const bool ended =
      WaitUntil([&] { return WaitForSingleObject(process_, 0) == WAIT_OBJECT_0; }, timeout);
  if (!ended) return std::nullopt;
  DWORD code = 0;
  GetExitCodeProcess(process_, &code);
  return code;
}

void TavionProcess::Kill() {
  if (!process_) return;
  if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
    TerminateProcess(process_, 99);
    WaitForSingleObject(process_, 5000);
  }
  CloseHandle(process_);
  process_ = nullptr;
}

}  // namespace tavion::e2e

namespace tavion::e2e {

HWND WaitForBox(DWORD pid, std::chrono::milliseconds timeout) {
  HWND box = nullptr;
  WaitUntil([&] { return (box = FindProcessWindow(pid, L"#32770", L"Tavion")) != nullptr; },
            timeout);
  return box;
}

void PressButton(HWND dialog, int id) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

HWND StartShown(TavionProcess& tavion, const std::wstring& arguments) {
  if (!tavion.Start(arguments)) return nullptr;
  HWND main = tavion.WaitForMainWindow();
  if (main && !WaitUntil([&] { return IsWindowVisible(main) != FALSE; })) return nullptr;
  return main;
}

void ExitConfirmed(TavionProcess& tavion, HWND main) {
  PostMessageW(main, WM_CLOSE, 0, 0);
  HWND box = WaitForBox(tavion.Id());
  ASSERT_NE(nullptr, box) << "the exit question";
  PressButton(box, IDYES);
  EXPECT_EQ(std::optional<DWORD>(0), tavion.WaitForExit());
}

}  // namespace tavion::e2e
