#pragma once
// A Tavion.exe started by a test: found by its windows, ended by its process handle.

#include <windows.h>

#include <chrono>
#include <optional>
#include <string>

namespace tavion::e2e {

// The folder of the running test program (Tavion.exe and Sidekit32.dll are built beside it).
std::wstring TestProgramFolder();

// Processes pending messages of the calling thread for `duration`.
void PumpMessagesFor(std::chrono::milliseconds duration);

// Polls `condition` (processing messages) until it holds or `timeout` passes.
template <typename Condition>
bool WaitUntil(Condition condition, std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    PumpMessagesFor(std::chrono::milliseconds(20));
  }
  return true;
}

// A top-level window of process `pid` with class `className` (null: any) and caption `caption`
// (null: any), or null.
HWND FindProcessWindow(DWORD pid, const wchar_t* className, const wchar_t* caption);

// The text of a window, or of the child with control id `childId` when it is not 0.
std::wstring WindowText(HWND window, int childId = 0);

// The text of the first non-empty static control in `dialog` (a message box's message).
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

  // Starts `exe` (default: Tavion.exe beside the test program) with `arguments`.
  bool Start(const std::wstring& arguments = L"", const std::wstring& exe = L"");
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
