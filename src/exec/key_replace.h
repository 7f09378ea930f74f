#pragma once
// "ke_keyz": answers a hot key with another key combination, optionally typed in another keyboard
// language, through the program's one key sender. Portable: the system's part is a small
// interface, and the key sender is injected.

#include <cstdint>
#include <functional>

#include "macros/key_sender.h"

namespace tavion {

// What the key replacement asks of the system.
class KeyboardLanguageSystem {
 public:
  virtual ~KeyboardLanguageSystem() = default;
  // The foreground window, or 0.
  virtual uintptr_t ForegroundWindow() = 0;
  // The keyboard layout of the thread that owns `window`.
  virtual uint32_t LayoutOf(uintptr_t window) = 0;
  // WM_INPUTLANGCHANGEREQUEST(1, layout) to `window`, synchronously; whether the window took it.
  virtual bool RequestLanguage(uintptr_t window, uint32_t layout) = 0;
  virtual void Sleep(uint32_t ms) = 0;
};

// Sends the packed key `hkey` (modifier mask, key code, scan code, key flags; 0 sends nothing)
// with `send`. When `layout` is not 0 and differs from the foreground window's, the window is
// switched to it for the key and back afterwards, each delivered request counted in the pending
// language switches, so the shell's language events they cause are known as the program's own.
// Returns the key sender's result; true when there was nothing to send.
bool ReplaceKey(uint32_t hkey, uint32_t layout, KeyboardLanguageSystem& system,
                const KeySender& send);

}  // namespace tavion
