#include "receiver.h"

#include <atomic>

#include "keys/hook_messages.h"
#include "keys/pressed_keys.h"
#include "settings/settings.h"
#include "wine/support/test_support.h"

namespace keysender_test {
namespace {

Receiver* current = nullptr;
constexpr WORD kDrainKey = VK_F16;

void SendKey(WORD keyCode, bool up, ULONG_PTR extraInfo) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = keyCode;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(keyCode, MAPVK_VK_TO_VSC));
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  input.ki.dwExtraInfo = extraInfo;
  SendInput(1, &input, sizeof input);
}

}  // namespace

Receiver::Receiver(bool watchKeyboard) {
  current = this;
  std::atomic<bool> ready{false};
  thread_ = std::thread([this, &ready, watchKeyboard] {
    threadId_ = GetCurrentThreadId();
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = Procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"KeysenderTestReceiver";
    RegisterClassW(&windowClass);
    for (HWND* window : {&other_, &target_}) {
      *window = CreateWindowExW(0, windowClass.lpszClassName, L"", WS_POPUP | WS_VISIBLE,
                                window == &target_ ? 0 : 400, 0, 300, 300, nullptr, nullptr,
                                windowClass.hInstance, nullptr);
    }
    const HHOOK hook =
        watchKeyboard ? SetWindowsHookExW(WH_KEYBOARD_LL, KeyboardHook, nullptr, 0) : nullptr;
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the queue exists before anyone posts
    ready = true;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (hook) UnhookWindowsHookEx(hook);
    DestroyWindow(other_);
    DestroyWindow(target_);
  });
  while (!ready) SwitchToThread();
}

Receiver::~Receiver() {
  PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
  thread_.join();
  current = nullptr;
}

bool Receiver::Activate(HWND window) const {
  return wine_test::PumpUntil([window] {
    SetForegroundWindow(window);
    return GetForegroundWindow() == window;
  });
}

bool Receiver::Drain(bool clear) {
  const int before = [&] {
    std::lock_guard lock(mutex_);
    return drained_;
  }();
  SendKey(kDrainKey, false, tavion::OwnInputMark);
  SendKey(kDrainKey, true, tavion::OwnInputMark);
  const bool drained = wine_test::PumpUntil([&] {
    std::lock_guard lock(mutex_);
    return drained_ > before;
  });
  if (clear) {
    std::lock_guard lock(mutex_);
    messages_.clear();
    hooked_.clear();
  }
  return drained;
}

std::vector<Message> Receiver::Of(UINT message) const {
  std::lock_guard lock(mutex_);
  std::vector<Message> found;
  for (const Message& m : messages_) {
    if (m.message == message) found.push_back(m);
  }
  return found;
}

std::vector<HookedKey> Receiver::Hooked() const {
  std::lock_guard lock(mutex_);
  return hooked_;
}

std::wstring Receiver::Chars() const {
  std::wstring chars;
  for (const Message& m : Of(WM_CHAR)) chars += static_cast<wchar_t>(m.wParam);
  return chars;
}

std::vector<WPARAM> Receiver::KeyDowns() const {
  std::lock_guard lock(mutex_);
  std::vector<WPARAM> keys;
  for (const Message& m : messages_) {
    if ((m.message == WM_KEYDOWN || m.message == WM_SYSKEYDOWN) && m.wParam != VK_PACKET) {
      keys.push_back(m.wParam);
    }
  }
  return keys;
}

LRESULT CALLBACK Receiver::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (current && (message == WM_KEYDOWN || message == WM_KEYUP) && wParam == kDrainKey) {
    std::lock_guard lock(current->mutex_);
    if (message == WM_KEYUP) ++current->drained_;
  } else if (current && hwnd == current->target_ &&
             (message == WM_KEYDOWN || message == WM_SYSKEYDOWN || message == WM_CHAR ||
              message == WM_MOUSEWHEEL || message == WM_INPUTLANGCHANGEREQUEST)) {
    std::lock_guard lock(current->mutex_);
    current->messages_.push_back({message, wParam, lParam});
  }
  if (message == WM_INPUTLANGCHANGEREQUEST) return 0;
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK Receiver::KeyboardHook(int code, WPARAM wParam, LPARAM lParam) {
  const auto* info = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
  if (code == HC_ACTION && current && info->vkCode != kDrainKey) {
    const bool own = info->dwExtraInfo == tavion::OwnInputMark;
    const bool down = (info->flags & LLKHF_UP) == 0;
    {
      std::lock_guard lock(current->mutex_);
      current->hooked_.push_back({info->vkCode, !down, own});
    }
    const int slot = tavion::ModifierSlotOf(info->vkCode);
    // Modifiers and the neutral key 7 do not stop a macro.
    if (!own && down && slot < 0 && info->vkCode != 7) tavion::Settings().MacroPlaying = false;
    if (!own && !down && slot >= 0 && tavion::Settings().SendingKeys) {
      tavion::ModifiersToPressAgain().Clear(static_cast<tavion::ModifierSlot>(slot));
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

void UserKey(WORD keyCode, bool up) {
  SendKey(keyCode, up, 0);
}

}  // namespace keysender_test
