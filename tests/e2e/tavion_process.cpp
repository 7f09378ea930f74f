#include "tavion_process.h"

#include <gtest/gtest.h>

#include <vector>

namespace tavion::e2e {

HWND FindProcessWindow(DWORD pid, const wchar_t* className, const wchar_t* caption) {
  for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, className, caption));) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (owner == pid) return w;
  }
  return nullptr;
}

std::wstring WindowText(HWND window) {
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
  for (HWND child = nullptr; (child = FindWindowExW(dialog, child, L"Static", nullptr));)
    if (std::wstring text = WindowText(child); !text.empty()) return text;
  return {};
}

TavionProcess::~TavionProcess() {
  Kill();
}

bool TavionProcess::Start(const std::wstring& arguments) {
  const std::wstring path = wine_test::ProgramFolder() + L"\\Tavion.exe";
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
  if (!WaitUntil([&] { return WaitForSingleObject(process_, 0) == WAIT_OBJECT_0; }, timeout))
    return std::nullopt;
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
