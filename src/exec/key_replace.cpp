#include "exec/key_replace.h"

#include "keys/hotkey.h"
#include "settings/settings.h"

namespace tavion {
namespace {

// Lets the target handle the typed key before its language is put back.
constexpr uint32_t kRestoreDelayMs = 5;

// Counts the request before it is sent, since the language event it causes can arrive while it is
// being sent, and takes the count back when the window never got it. Returns whether it did.
bool RequestCounted(KeyboardLanguageSystem& system, uintptr_t window, uint32_t layout) {
  ++Options().PendingLanguageSwitches;
  if (system.RequestLanguage(window, layout)) return true;
  TakePending(Options().PendingLanguageSwitches);
  return false;
}

}  // namespace

bool ReplaceKey(uint32_t hkey, uint32_t layout, KeyboardLanguageSystem& system,
                const KeySender& send) {
  if (hkey == 0 || !send) return hkey == 0;
  uintptr_t foreground = 0;
  uint32_t previous = 0;
  bool switched = false;
  if (layout != 0) {
    foreground = system.ForegroundWindow();
    previous = system.LayoutOf(foreground);
    switched = layout != previous && RequestCounted(system, foreground, layout);
  }
  const bool sent = send(HotKeyByte(hkey, 1), HotKeyByte(hkey, 2), HotKeyByte(hkey, 3),
                         HotKeyByte(hkey, 4), /*window=*/0, /*restore=*/false, /*delayMs=*/0,
                         /*ansiText=*/nullptr, /*wideText=*/nullptr);
  if (switched) {
    system.Sleep(kRestoreDelayMs);
    RequestCounted(system, foreground, previous);
  }
  return sent;
}

}  // namespace tavion
