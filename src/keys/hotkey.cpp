#include "keys/hotkey.h"

#include <atomic>
#include <cstdio>

namespace tavion {
namespace {

std::atomic<bool> fullKeysComparison{false};

// Scan code and flags of a hot key that accepts any scan code of its key code.
bool IsScanWildcard(uint32_t value) {
  return HotKeyByte(value, 3) == 0 && HotKeyByte(value, 4) == 0;
}

}  // namespace

std::string KeyTripleText(uint32_t keyCode, uint32_t scanCode, uint32_t flags) {
  char text[40];
  std::snprintf(text, sizeof text, "%ux%ux%u", static_cast<unsigned>(keyCode),
                static_cast<unsigned>(scanCode), static_cast<unsigned>(flags));
  return text;
}

void TActionHKey::SetKeyPolyglot(std::string_view text) {
  std::size_t length = text.size();
  if (length > kMaxKeyPolyglot) {
    length = kMaxKeyPolyglot;
    // Back off over continuation bytes so that no code point is cut in half.
    while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) --length;
  }
  keyPolyglot_.assign(text.substr(0, length));
}

bool FullKeysComparison() {
  return fullKeysComparison.load(std::memory_order_relaxed);
}

void SetFullKeysComparison(bool on) {
  fullKeysComparison.store(on, std::memory_order_relaxed);
}

bool MatchHotKey(const KeyEventRecord* event, uint8_t modifiers, const TActionHKey& record,
                 std::string_view hidText, bool fullComparison) {
  const uint32_t hkey = record.HKey();
  if (event == nullptr) {
    return record.InputMode() == TkeInputMode::keHid && HotKeyByte(hkey, 1) == modifiers &&
           !hidText.empty() && hidText == record.KeyPolyglot();
  }
  if (record.InputMode() == TkeInputMode::keHid) return false;
  if (HotKeyByte(hkey, 1) != modifiers || HotKeyByte(hkey, 2) != event->vkCode) return false;
  if (event->vkCode != kScanOnlyKey && !fullComparison) return true;
  if (HotKeyByte(hkey, 3) == event->scanCode && HotKeyByte(hkey, 4) == event->flags) return true;
  // A record without scan code matches any scan code, whether or not it is an extended key.
  return HotKeyByte(hkey, 3) == 0 && HotKeyByte(hkey, 4) <= 1;
}

bool SameHotKey(uint32_t a, uint32_t b, bool fullComparison) {
  if (HotKeyByte(a, 1) != HotKeyByte(b, 1) || HotKeyByte(a, 2) != HotKeyByte(b, 2)) return false;
  if (HotKeyByte(a, 2) != kScanOnlyKey && !fullComparison) return true;
  if ((a >> 16) == (b >> 16)) return true;
  return IsScanWildcard(a) || IsScanWildcard(b);
}

std::string ModifiersToText(uint8_t mask) {
  std::string text;
  if (mask & kModWin) text += "Win + ";
  if (mask & kModCtrl) text += "Ctrl + ";
  if (mask & kModShift) text += "Shift + ";
  if (mask & kModAlt) text += "Alt + ";
  return text;
}

std::optional<KeyMessage> MouseToKeyEvent(uint32_t message, const MouseEventRecord& event) {
  struct Button {
    uint32_t down, up;
    uint8_t keyCode;  // for the X button: of button number 1; number 2 is the next code
  };
  static constexpr Button kButtons[] = {{kWmLButtonDown, kWmLButtonUp, 1},
                                        {kWmRButtonDown, kWmRButtonUp, 2},
                                        {kWmMButtonDown, kWmMButtonUp, 4},
                                        {kWmXButtonDown, kWmXButtonUp, 5}};
  const uint16_t high = static_cast<uint16_t>(event.mouseData >> 16);
  KeyMessage key;
  key.message = kWmKeyDown;
  if (message == kWmMouseWheel) {
    const auto delta = static_cast<int16_t>(high);
    if (delta == 0) return std::nullopt;
    key.record.vkCode = delta > 0 ? 136 : 137;
  } else {
    const Button* button = nullptr;
    for (const Button& b : kButtons)
      if (message == b.down || message == b.up) button = &b;
    if (button == nullptr) return std::nullopt;
    key.message = message == button->down ? kWmKeyDown : kWmKeyUp;
    key.record.vkCode = button->keyCode;
    if (button->down == kWmXButtonDown) {
      if (high != 1 && high != 2) return std::nullopt;
      key.record.vkCode += high - 1;
    }
  }
  key.record.scanCode = 66;
  key.record.flags = 33;
  return key;
}

bool UpOnlyToKeyDown(uint32_t& message, KeyEventRecord& record, bool enabled,
                     std::span<const std::string> upOnlyKeys) {
  if (!enabled || upOnlyKeys.empty()) return false;
  if (message != kWmKeyUp && message != kWmSysKeyUp) return false;
  const std::string asDelivered = KeyTripleText(record.vkCode, record.scanCode, record.flags);
  const std::string asPressed =
      KeyTripleText(record.vkCode, record.scanCode, record.flags & ~kKeyFlagReleased);
  for (const std::string& entry : upOnlyKeys) {
    if (entry == asDelivered || entry == asPressed) {
      message = message == kWmKeyUp ? kWmKeyDown : kWmSysKeyDown;
      record.flags &= ~kKeyFlagReleased;
      return true;
    }
  }
  return false;
}

uint32_t SidedModifierKey(uint32_t keyCode, uint32_t scanCode, uint32_t hookFlags) {
  constexpr uint32_t kRightShiftScanCode = 0x36;
  const bool extended = (hookFlags & kKeyFlagExtended) != 0;
  switch (keyCode) {
    case 16:
      return (scanCode & 0xFF) == kRightShiftScanCode ? 161 : 160;
    case 17:
      return extended ? 163 : 162;
    case 18:
      return extended ? 165 : 164;
    default:
      return keyCode;
  }
}

}  // namespace tavion
