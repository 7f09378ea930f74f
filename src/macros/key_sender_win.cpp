#include "macros/key_sender_win.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "base/window_requests_win.h"
#include "base/message_wait_win.h"
#include "base/utf_win.h"
#include "keys/hotkey.h"
#include "keys/key_input_win.h"
#include "keys/pressed_keys.h"
#include "macros/key_delays.h"
#include "macros/macro_format.h"
#include "settings/settings.h"

namespace tavion {
namespace {

KeySenderServices& Services() {
  static KeySenderServices services;
  return services;
}

// Recursive like a critical section: a main-thread action that runs while a macro waits and
// processes messages may send keys itself.
std::recursive_mutex& SendingLock() {
  static std::recursive_mutex lock;
  return lock;
}

// Whether this process blocked user input and has not allowed it again; guarded by SendingLock.
bool inputBlocked = false;

// Allows user input again when a send of this process blocked it.
void AllowInput() {
  if (!inputBlocked) return;
  BlockInput(FALSE);
  inputBlocked = false;
}

// Blocks user input for one send. BlockInput fails without elevation (and always under Wine);
// the send then runs with input free, as nothing else can be done about it.
class InputBlock {
 public:
  InputBlock() : owner_(!inputBlocked) {
    if (owner_) inputBlocked = BlockInput(TRUE) != FALSE;
  }
  ~InputBlock() {
    if (owner_) AllowInput();
  }
  InputBlock(const InputBlock&) = delete;
  InputBlock& operator=(const InputBlock&) = delete;

 private:
  bool owner_;  // the outermost send blocks and unblocks
};

// Sets a shared flag for one scope and puts back what it was.
class ScopedFlag {
 public:
  explicit ScopedFlag(std::atomic<bool>& flag) : flag_(flag), previous_(flag.exchange(true)) {}
  ~ScopedFlag() { flag_ = previous_; }
  ScopedFlag(const ScopedFlag&) = delete;
  ScopedFlag& operator=(const ScopedFlag&) = delete;

 private:
  std::atomic<bool>& flag_;
  bool previous_;
};

void RaiseWindow(HWND window) {
  // A refused raise is not fatal: the keys then go to whatever has the focus.
  if (Services().raiseWindow != nullptr) {
    Services().raiseWindow(window);
  } else {
    SetForegroundWindow(window);
  }
}

// Raises `target` and, with `restore`, brings back the window that was in front before.
class ForegroundSwitch {
 public:
  ForegroundSwitch(HWND target, bool restore)
      : previous_(restore ? GetForegroundWindow() : nullptr) {
    if (target != nullptr) RaiseWindow(target);
  }
  ~ForegroundSwitch() {
    if (previous_ == nullptr) return;
    MacroWait(kRestoreSettleMs, false);
    RaiseWindow(previous_);
  }
  ForegroundSwitch(const ForegroundSwitch&) = delete;
  ForegroundSwitch& operator=(const ForegroundSwitch&) = delete;

 private:
  HWND previous_;
};

// Lifts the user's modifiers and holds the mask's for one send; the user's are pressed again
// afterwards, less those the user released meanwhile (the key handler clears them).
class ModifierScope {
 public:
  explicit ModifierScope(uint8_t mask)
      : preparation_(LiveKeyboardState(), mask), saved_(ModifiersToPressAgain().Get()) {
    if (!preparation_.Needed()) return;
    ModifiersToPressAgain().Set(preparation_.Held());
    SendKeyInputs(preparation_.Prepare(LiveKeyboardState()));
  }
  ~ModifierScope() {
    if (!preparation_.Needed()) return;
    SendKeyInputs(preparation_.Undo(ModifiersToPressAgain().Get()));
    // An outer send still needs its own set.
    ModifiersToPressAgain().Set(saved_);
  }
  ModifierScope(const ModifierScope&) = delete;
  ModifierScope& operator=(const ModifierScope&) = delete;

 private:
  ModifierPreparation preparation_;
  ModifierSet saved_;
};

// A text of more characters than this is typed in pieces of this size, with the input free, and
// stops as a macro does: when the user presses a key (the key handler then clears MacroPlaying).
constexpr std::size_t kTextPieceChars = 256;

// Types `text`. False when the user or the program's end stopped a long text.
bool TypeText(std::wstring_view text) {
  const std::u16string_view units(reinterpret_cast<const char16_t*>(text.data()), text.size());
  const std::vector<KeyInput> events = TextKeyEvents(units);
  constexpr std::size_t kPieceEvents = 2 * kTextPieceChars;
  const bool stoppable = events.size() > kPieceEvents;
  std::optional<ScopedFlag> playing;
  if (stoppable) {
    playing.emplace(Settings().MacroPlaying);
    AllowInput();
  }
  // Down and up of one character in one call, so nothing comes between them. A refused event
  // is not retried: the sender's result tells only whether the send ran to its end.
  for (std::size_t i = 0; i + 1 < events.size(); i += 2) {
    if (stoppable && i != 0 && i % kPieceEvents == 0) {
      // The user's key reaches the key handler through this thread's messages.
      if (!WaitProcessingMessages(0) || !Settings().MacroPlaying) return false;
    }
    SendKeyInputs(std::span(events).subspan(i, 2));
  }
  return true;
}

void PressKey(uint16_t keyCode, uint16_t scanCode, uint16_t keyFlags, uint16_t delayMs) {
  const uint32_t extended = (keyFlags & 1) ? kInputExtended : 0;
  if (delayMs != 0) MacroWait(delayMs, false);
  SendKeyInput(keyCode, scanCode, extended);
  MacroWait(delayMs, false);
  SendKeyInput(keyCode, scanCode, extended | kInputKeyUp);
  MacroWait(delayMs, false);
}

std::optional<LPARAM> ParseLayout(std::string_view item) {
  const std::optional<int32_t> layout = ParseMacroNumber(item);
  if (!layout) return std::nullopt;
  // Stored as a signed 32-bit number; widened with its sign, as the system widens handles.
  return static_cast<LPARAM>(*layout);
}

void RequestForegroundLayout(LPARAM layout) {
  // Bounded, so that a hung foreground window cannot hold the macro and the sending lock.
  RequestKeyboardLayout(GetForegroundWindow(), static_cast<uint32_t>(layout), /*timeoutMs=*/1000);
}

}  // namespace

void SetKeySenderServices(const KeySenderServices& services) {
  std::lock_guard lock(SendingLock());
  Services() = services;
}

bool MacroWait(uint32_t ms, bool stopOnKey) {
  const DWORD start = GetTickCount();
  for (;;) {
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= ms) return true;
    if (stopOnKey && !Settings().MacroPlaying) return true;
    if (!WaitProcessingMessages(std::min<DWORD>(10, ms - elapsed))) return false;
  }
}

bool SendKeys(uint8_t modifiers, uint16_t keyCode, uint16_t scanCode, uint16_t keyFlags,
              HWND target, bool restore, uint16_t delayMs, const char* ansiText,
              const wchar_t* wideText) {
  // Declared in the order of the steps, undone in reverse on every way out.
  std::lock_guard lock(SendingLock());
  InputBlock block;
  ScopedFlag sending(Settings().SendingKeys);
  ForegroundSwitch foreground(target, restore);
  ModifierScope held(modifiers);

  switch (keyCode) {
    case kSendPlayMacro:
      if (ansiText != nullptr) return PlayMacro(WideToUtf8(AnsiToWide(ansiText)));
      return PlayMacro(wideText != nullptr ? WideToUtf8(wideText) : std::string());
    case kSendAnsiText: {
      std::string text = ansiText != nullptr ? ansiText : "";
      std::erase(text, '\n');
      return TypeText(AnsiToWide(text));
    }
    case kSendWideText:
      return wideText == nullptr || TypeText(wideText);
    default:
      break;
  }
  if (IsMouseKey(keyCode)) {
    for (const MouseInput& event : MouseKeyEvents(keyCode))
      SendMouseInput(0, 0, static_cast<uint32_t>(event.data), event.flags);
    return true;
  }
  if (keyCode == 0 || keyCode > 255) return false;
  PressKey(keyCode, scanCode, keyFlags, delayMs);
  return true;
}

KeySender DefaultKeySender() {
  return [](uint8_t modifiers, uint16_t keyCode, uint16_t scanCode, uint16_t keyFlags,
            uintptr_t window, bool restore, uint16_t delayMs, const char* ansiText,
            const wchar_t* wideText) {
    return SendKeys(modifiers, keyCode, scanCode, keyFlags, reinterpret_cast<HWND>(window), restore,
                    delayMs, ansiText, wideText);
  };
}

bool PlayMacro(std::string_view name) {
  std::lock_guard lock(SendingLock());
  ScopedFlag playing(Settings().MacroPlaying);
  const RegistryStore* store = Services().macros;
  // An empty name would read the key's default value, which is no macro.
  if (store == nullptr || name.empty()) return true;
  const std::vector<std::string> items = ReadMacroItems(*store, name);
  if (items.size() <= kMacroFirstEventItem) return true;

  const PlaybackSettings settings = ParsePlaybackSettings(items[kMacroSettingsItem]);
  // Free input is what lets the user stop the macro with a key.
  if (!settings.keepBlocked) AllowInput();
  const HKL previousLayout =
      GetKeyboardLayout(GetWindowThreadProcessId(GetForegroundWindow(), nullptr));
  const std::optional<LPARAM> layout = ParseLayout(items[kMacroLayoutItem]);
  if (layout) RequestForegroundLayout(*layout);

  const bool stopOnKey = settings.stopOnKey && !settings.keepBlocked;
  bool completed = true;
  for (std::size_t i = kMacroFirstEventItem; i < items.size(); ++i) {
    const std::optional<MacroEvent> event = ParseMacroEventItem(items[i]);
    if (!event) {
      completed = false;
      break;
    }
    if (const std::optional<uint32_t> delay = MacroEventDelay(settings.delayMs, event->delayMs)) {
      const bool running = MacroWait(*delay, stopOnKey);
      if (!running || (stopOnKey && !Settings().MacroPlaying)) {
        ReleaseModifiers();
        completed = false;
        break;
      }
    }
    SendKeyInput(event->keyCode, event->scanCode,
                 (event->extended ? kInputExtended : 0) | (event->released ? kInputKeyUp : 0));
  }

  MacroWait(kMacroEndSettleMs, false);
  if (!settings.keepLanguage && layout)
    RequestForegroundLayout(reinterpret_cast<LPARAM>(previousLayout));
  if (settings.beep) MessageBeep(0);
  return completed;
}

}  // namespace tavion

extern "C" uint8_t WINAPI SendKeyPressEx(const TavionKeyPress* block) {
  if (block == nullptr) return 0;
  try {
    return tavion::SendKeys(block->modifiers, block->keyCode, block->scanCode, block->keyFlags,
                            static_cast<HWND>(block->window), block->restore != 0, block->delayMs,
                            block->text, block->wideText)
               ? 1
               : 0;
  } catch (...) {
    // Nothing may unwind into a plug-in; the send's scopes have undone their state.
    return 0;
  }
}
