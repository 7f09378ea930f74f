#pragma once
// Windows, processes and input for the Sidekit32 tests.

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "keys/hook_messages.h"

namespace sidekit_test {

// Handles this thread's messages until `done` holds or `timeoutMs` passes; returns `done()`.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 3000);
// Handles this thread's messages for `ms` milliseconds.
void PumpFor(DWORD ms);

// One message a Receiver got, with a copy of the event record it pointed to.
struct Received {
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  tavion::KeyEventRecord key;
  tavion::MouseEventRecord mouse;
};

// What the lParam of the hook messages points to, for the receiver to copy it.
enum class Records { kNone, kKey, kMouse };

// A top-level window of this thread that records the hook messages (0x465 to 0x46B) and answers
// them through `answer` (0 unless set).
class Receiver {
 public:
  explicit Receiver(Records records = Records::kNone);
  ~Receiver();
  Receiver(const Receiver&) = delete;
  Receiver& operator=(const Receiver&) = delete;

  HWND hwnd() const { return hwnd_; }
  void Destroy();

  std::function<LRESULT(const Received&)> answer;
  std::vector<Received> events;

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  Records records_;
  HWND hwnd_ = nullptr;
};

// A visible top-level window with the keyboard focus that records the key-down messages it gets
// (virtual-key codes) and hands WM_APPCOMMAND to DefWindowProc.
class FocusWindow {
 public:
  FocusWindow();
  ~FocusWindow();
  FocusWindow(const FocusWindow&) = delete;
  FocusWindow& operator=(const FocusWindow&) = delete;

  HWND hwnd() const { return hwnd_; }
  bool GotKey(WORD vk) const;

  std::vector<WORD> keysDown;

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  HWND hwnd_ = nullptr;
};

// Keyboard and mouse input for SendInput.
INPUT KeyInput(WORD vk, bool up, ULONG_PTR extraInfo = 0, bool extended = false);
INPUT MouseInput(DWORD flags, DWORD data = 0, ULONG_PTR extraInfo = 0);
// Sends the events and returns true when all were inserted.
bool Inject(std::vector<INPUT> inputs);
// The scan code Windows gives `vk` (what a key event for it carries).
WORD ScanCodeOf(WORD vk);

// A helper program (sidekit_test_peer.exe beside the test) run for one test and ended by its
// handle when the test ends, whether it passed or not.
class PeerProcess {
 public:
  explicit PeerProcess(const std::wstring& arguments);
  ~PeerProcess();
  PeerProcess(const PeerProcess&) = delete;
  PeerProcess& operator=(const PeerProcess&) = delete;

  bool started() const { return process_ != nullptr; }
  // Waits for the program to end and returns its exit code, or -1 when it does not end in time.
  int WaitForExit(DWORD timeoutMs = 10000);
  // Waits (handling messages) until the program shows its window of class `className`.
  HWND WaitForWindow(const std::wstring& className);
  void Terminate();

 private:
  HANDLE process_ = nullptr;
};

// The folder of the test program, without a trailing backslash.
std::wstring ProgramFolder();
// A name that no other test, run or process uses.
std::wstring UniqueName(const wchar_t* stem);

}  // namespace sidekit_test
