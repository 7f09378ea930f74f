#pragma once
// Two top-level windows on a thread of their own, as another program's windows would be: the
// target records the keyboard, character, wheel and language messages it receives; the other is
// only there to be in front. The thread also watches the keyboard through a low-level hook and,
// like the program's key handler, clears Settings().MacroPlaying when the user presses a key and
// forgets a modifier the user releases while keys are sent.

#include <windows.h>

#include <functional>
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
  DWORD flags;  // LLKHF_*
  DWORD time;
  ULONG_PTR extraInfo;
};

class Receiver {
 public:
  // With `watchKeyboard` false the thread installs no keyboard hook (and nothing clears
  // MacroPlaying).
  explicit Receiver(bool watchKeyboard = true);
  ~Receiver();
  Receiver(const Receiver&) = delete;
  Receiver& operator=(const Receiver&) = delete;

  HWND target() const { return target_; }
  HWND other() const { return other_; }

  // Brings `window` to the front and waits until it is there.
  bool Activate(HWND window);
  void Clear();

  std::vector<Message> Messages() const;
  std::vector<HookedKey> Hooked() const;
  // The characters of the WM_CHAR messages received.
  std::wstring Chars() const;
  // How many WM_CHAR messages arrived.
  std::size_t CharCount() const;
  // The key codes of the WM_KEYDOWN and WM_SYSKEYDOWN messages received, VK_PACKET left out.
  std::vector<WPARAM> KeyDowns() const;

  // Waits (processing this thread's messages) until `done` holds or `ms` pass; returns done().
  static bool WaitFor(const std::function<bool()>& done, DWORD ms = 3000);
  // Waits `ms`, processing this thread's messages.
  static void Settle(DWORD ms = 150);

 private:
  void Run(bool watchKeyboard);
  static LRESULT CALLBACK Procedure(HWND, UINT, WPARAM, LPARAM);
  static LRESULT CALLBACK KeyboardHook(int, WPARAM, LPARAM);

  mutable std::mutex mutex_;
  std::vector<Message> messages_;
  std::vector<HookedKey> hooked_;
  HWND target_ = nullptr;
  HWND other_ = nullptr;
  DWORD threadId_ = 0;
  HANDLE ready_ = nullptr;
  std::thread thread_;
};

// A raw key event that does not carry the program's mark: what the user's keyboard would send.
void UserKey(WORD keyCode, bool up);

}  // namespace keysender_test
