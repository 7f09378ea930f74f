#include "exec/key_replace.h"

#include "keys/hotkey.h"
#include "settings/settings.h"

namespace tavion {
namespace {

// Lets the target handle the typed key before its language is put back.
constexpr uint32_t kRestoreDelayMs = 5;

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
    if (layout != previous) {
      ++Options().PendingLanguageSwitches;
      system.RequestLanguage(foreground, layout);
      switched = true;
    }
  }
  const bool sent = send(HotKeyByte(hkey, 1), HotKeyByte(hkey, 2), HotKeyByte(hkey, 3),
                         HotKeyByte(hkey, 4), /*window=*/0, /*restore=*/false, /*delayMs=*/0,
                         /*ansiText=*/nullptr, /*wideText=*/nullptr);
  if (switched) {
    system.Sleep(kRestoreDelayMs);
    ++Options().PendingLanguageSwitches;
    system.RequestLanguage(foreground, previous);
  }
  return sent;
}

}  // namespace tavion
