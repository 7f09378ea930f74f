#pragma once
// "ke_keyz" on the system: the foreground window's keyboard layout and its language requests.

#include <windows.h>

#include "exec/dispatcher.h"
#include "exec/key_replace.h"

namespace tavion {

// KeyboardLanguageSystem over the foreground window and its thread's layout.
class WinKeyboardLanguageSystem final : public KeyboardLanguageSystem {
 public:
  uintptr_t ForegroundWindow() override;
  uint32_t LayoutOf(uintptr_t window) override;
  bool RequestLanguage(uintptr_t window, uint32_t layout) override;
  void Sleep(uint32_t ms) override;
};

// The "ke_keyz" executor: the action's TActionParamsRKey key and language, sent with `send`.
// An action without those parameters sends nothing.
void RunKeyReplace(ExecContext& context, const KeySender& send);

}  // namespace tavion
