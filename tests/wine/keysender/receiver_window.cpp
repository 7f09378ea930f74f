#include "receiver_window.h"

#include <algorithm>

#include "keys/hook_messages.h"
#include "pipeline/key_dispatch.h"
#include "settings/settings.h"

namespace keysender_test {
namespace {

Receiver* current = nullptr;

bool IsModifierOrNeutral(DWORD key) {
  switch (key) {
    case 7:
    case 91:
    case 92:
    case 160:
    case 161:
    case 162:
    case 163:
    case 164:
    case 165:
      return true;
    default:
      return false;
  }
}

}  // namespace

Receiver::Receiver(bool watchKeyboard) {
  current = this;
  ready_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  thread_ = std::thread([this, watchKeyboard] { Run(watchKeyboard); });
  WaitForSingleObject(ready_, 10000);
}

Receiver::~Receiver() {
  PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
  thread_.join();
  CloseHandle(ready_);
  current = nullptr;
}

void Receiver::Run(bool watchKeyboard) {
  threadId_ = GetCurrentThreadId();
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = Procedure;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"KeysenderTestReceiver";
  RegisterClassW(&windowClass);
  target_ = CreateWindowExW(0, windowClass.lpszClassName, L"target", WS_POPUP | WS_VISIBLE, 0, 0,
                            300, 300, nullptr, nullptr, windowClass.hInstance, nullptr);
  other_ = CreateWindowExW(0, windowClass.lpszClassName, L"other", WS_POPUP | WS_VISIBLE, 400, 0,
                           100, 100, nullptr, nullptr, windowClass.hInstance, nullptr);
  HHOOK hook = watchKeyboard
                   ? SetWindowsHookExW(WH_KEYBOARD_LL, KeyboardHook, GetModuleHandleW(nullptr), 0)
                   : nullptr;
  MSG msg;
  PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the queue exists before anyone posts
  SetEvent(ready_);
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  if (hook != nullptr) UnhookWindowsHookEx(hook);
  DestroyWindow(other_);
  DestroyWindow(target_);
}

LRESULT CALLBACK Receiver::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_CHAR:
    case WM_SYSCHAR:
    case WM_MOUSEWHEEL:
    case WM_INPUTLANGCHANGEREQUEST:
      if (current != nullptr && hwnd == current->target_) {
        std::lock_guard lock(current->mutex_);
        current->messages_.push_back({message, wParam, lParam});
      }
      if (message == WM_INPUTLANGCHANGEREQUEST) return 0;
      break;
    default:
      break;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK Receiver::KeyboardHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && current != nullptr) {
    const auto* info = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    {
      std::lock_guard lock(current->mutex_);
      current->hooked_.push_back({info->vkCode, info->flags, info->time, info->dwExtraInfo});
    }
    const bool own = info->dwExtraInfo == static_cast<ULONG_PTR>(tavion::OwnInputMark);
    const bool down = (info->flags & LLKHF_UP) == 0;
    if (!own && down && !IsModifierOrNeutral(info->vkCode)) tavion::Settings().MacroPlaying = false;
    // A modifier the user lets go while keys are sent is not to be pressed again afterwards.
    const int slot = tavion::ModifierSlotOf(info->vkCode);
    if (!own && !down && slot >= 0 && tavion::Settings().SendingKeys)
      tavion::ModifiersToPressAgain().Clear(static_cast<tavion::ModifierSlot>(slot));
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

bool Receiver::Activate(HWND window) {
  SetForegroundWindow(window);
  return WaitFor([window] { return GetForegroundWindow() == window; });
}

void Receiver::Clear() {
  Settle(50);
  std::lock_guard lock(mutex_);
  messages_.clear();
  hooked_.clear();
}

std::vector<Message> Receiver::Messages() const {
  std::lock_guard lock(mutex_);
  return messages_;
}

std::vector<HookedKey> Receiver::Hooked() const {
  std::lock_guard lock(mutex_);
  return hooked_;
}

std::wstring Receiver::Chars() const {
  std::wstring chars;
  for (const Message& m : Messages())
    if (m.message == WM_CHAR) chars += static_cast<wchar_t>(m.wParam);
  return chars;
}

std::size_t Receiver::CharCount() const {
  std::lock_guard lock(mutex_);
  return static_cast<std::size_t>(std::count_if(
      messages_.begin(), messages_.end(), [](const Message& m) { return m.message == WM_CHAR; }));
}

std::vector<WPARAM> Receiver::KeyDowns() const {
  std::vector<WPARAM> keys;
  for (const Message& m : Messages())
    if ((m.message == WM_KEYDOWN || m.message == WM_SYSKEYDOWN) && m.wParam != VK_PACKET)
      keys.push_back(m.wParam);
  return keys;
}

bool Receiver::WaitFor(const std::function<bool()>& done, DWORD ms) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > ms) return done();
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  return true;
}

void Receiver::Settle(DWORD ms) {
  WaitFor([] { return false; }, ms);
}

void UserKey(WORD keyCode, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = keyCode;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(keyCode, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  SendInput(1, &input, sizeof input);
}

}  // namespace keysender_test
