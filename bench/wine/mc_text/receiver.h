#pragma once
// Another program's window, on a thread of its own, that records the keyboard, character, wheel
// and language messages it receives. The thread watches the keyboard through a low-level hook
// and, like the program's key handler, clears Settings().MacroPlaying when the user presses a key
// and forgets a modifier the user releases while keys are sent.

#include <windows.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace keysender_test {

struct Message {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};

struct HookedKey {
  DWORD keyCode;
  bool up;
  bool own;  // carries the program's mark
};

class Receiver {
 public:
  // Without `watchKeyboard` the thread installs no hook (and nothing clears MacroPlaying).
  explicit Receiver(bool watchKeyboard = true);
  ~Receiver();
  Receiver(const Receiver&) = delete;
  Receiver& operator=(const Receiver&) = delete;

  HWND target() const { return target_; }
  HWND other() const { return other_; }
  bool Activate(HWND window) const;
  // Waits until every key sent before has been handled: a marked key is sent after them and
  // comes out behind them. Then empties the records when `clear`.
  bool Drain(bool clear = false);

  std::vector<Message> Of(UINT message) const;
  std::vector<HookedKey> Hooked() const;
  std::wstring Chars() const;
  // WM_KEYDOWN and WM_SYSKEYDOWN key codes, Unicode packets left out.
  std::vector<WPARAM> KeyDowns() const;

 private:
  static LRESULT CALLBACK Procedure(HWND, UINT, WPARAM, LPARAM);
  static LRESULT CALLBACK KeyboardHook(int, WPARAM, LPARAM);

  mutable std::mutex mutex_;
  std::vector<Message> messages_;
  std::vector<HookedKey> hooked_;
  int drained_ = 0;
  HWND target_ = nullptr;
  HWND other_ = nullptr;
  DWORD threadId_ = 0;
  std::thread thread_;
};

// A key without the program's mark: what the user's keyboard would send.
void UserKey(WORD keyCode, bool up);

}  // namespace keysender_test
