#pragma once
// A Tavion.exe started by a test: found by its windows, ended by its process handle.

#include <windows.h>

#include <chrono>
#include <optional>
#include <string>

#include "wine/support/test_support.h"

namespace tavion::e2e {

// Pumps the calling thread's messages until `condition` holds or `timeout` passes.
template <typename Condition>
bool WaitUntil(Condition condition, std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
  return wine_test::PumpUntil(condition, static_cast<DWORD>(timeout.count()));
}

// A top-level window of process `pid` with class `className` (null: any) and caption `caption`
// (null: any), or null.
HWND FindProcessWindow(DWORD pid, const wchar_t* className, const wchar_t* caption);

// The text of a window, read with a bound: a hung target does not hang the test.
std::wstring WindowText(HWND window);

// The message of a message box.
std::wstring StaticText(HWND dialog);

// The message box of process `pid` captioned "Tavion", waited for; null on time-out.
HWND WaitForBox(DWORD pid, std::chrono::milliseconds timeout = std::chrono::seconds(10));

// Clicks button `id` (IDOK, IDYES, ...) of a dialog.
void PressButton(HWND dialog, int id);

class TavionProcess;

// Starts Tavion.exe with `arguments` and waits until its main window shows (its hooks are in
// place by then); null when it does not.
HWND StartShown(TavionProcess& tavion, const std::wstring& arguments = L"");

// Closes the main window and answers the exit question with Yes; checks the exit code 0.
void ExitConfirmed(TavionProcess& tavion, HWND main);

class TavionProcess {
 public:
  TavionProcess() = default;
  ~TavionProcess();  // ends a process still running, by its handle
  TavionProcess(const TavionProcess&) = delete;
  TavionProcess& operator=(const TavionProcess&) = delete;

  // Starts Tavion.exe beside the test program with `arguments`.
  bool Start(const std::wstring& arguments = L"");
  DWORD Id() const { return pid_; }

  // Waits for the main window ("TAVION_ROOTWINDOW") of this process.
  HWND WaitForMainWindow(std::chrono::milliseconds timeout = std::chrono::seconds(15));

  // Waits for the process to end; returns its exit code, or nothing on time-out.
  std::optional<DWORD> WaitForExit(std::chrono::milliseconds timeout = std::chrono::seconds(15));

  // Ends the process by its handle (when it is still running) and waits for it.
  void Kill();

 private:
  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
};

}  // namespace tavion::e2e
