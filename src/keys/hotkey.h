#pragma once
// The hot-key record, its packed 32-bit key value, matching of key events against it, and the
// conversion of mouse events and up-only keys into key events. Portable.
//
// Packed key value, least significant byte first; the byte routines number the bytes 1 to 4:
//   1 modifier mask (kModAlt | kModCtrl | kModShift | kModWin, sides not told apart)
//   2 virtual-key code   3 scan code   4 flags as the keyboard hook delivers them (bit 0 extended)
// 0 means no key. Key code 255 marks a key known only by its scan code and flags.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "keys/hook_messages.h"

namespace tavion {

inline constexpr uint8_t kModAlt = 1;
inline constexpr uint8_t kModCtrl = 2;
inline constexpr uint8_t kModShift = 4;
inline constexpr uint8_t kModWin = 8;

// The key code of a key that has no virtual-key code of its own.
inline constexpr uint8_t kScanOnlyKey = 255;

enum class TkeInputMode : uint8_t {
  keNormal = 0,  // a keyboard key or mouse button, identified by HKey
  keHid = 1,     // a key of an extra HID device, identified by KeyPolyglot and HKey's modifiers
};

// The hot-key record. Owns nothing; copyable.
class TActionHKey {
 public:
  static constexpr std::size_t kMaxKeyPolyglot = 255;

  explicit TActionHKey(uint32_t hkey = 0) : hkey_(hkey) {}

  TkeInputMode InputMode() const { return inputMode_; }
  void SetInputMode(TkeInputMode mode) { inputMode_ = mode; }

  const std::string& KeyPolyglot() const { return keyPolyglot_; }
  // Keeps at most kMaxKeyPolyglot bytes, cut before a UTF-8 sequence that would not fit whole.
  void SetKeyPolyglot(std::string_view text);

  uint32_t HKey() const { return hkey_; }
  void SetHKey(uint32_t value) { hkey_ = value; }

  friend bool operator==(const TActionHKey&, const TActionHKey&) = default;

 private:
  TkeInputMode inputMode_ = TkeInputMode::keNormal;
  std::string keyPolyglot_;
  uint32_t hkey_ = 0;
};

// Registry value names of TActionHKey's persisted properties, in the order they are stored.
inline constexpr std::array<std::string_view, 3> kActionHKeyPropertyNames = {"InputMode",
                                                                             "KeyPolyglot", "HKey"};

constexpr uint32_t PackHotKey(uint8_t keyCode, uint8_t scanCode, uint8_t flags, uint8_t modifiers) {
  return uint32_t{modifiers} | uint32_t{keyCode} << 8 | uint32_t{scanCode} << 16 |
         uint32_t{flags} << 24;
}

// Byte n (1 to 4) of a packed value; 0 for any other n.
constexpr uint8_t HotKeyByte(uint32_t value, int n) {
  if (n < 1 || n > 4) return 0;
  return static_cast<uint8_t>(value >> (8 * (n - 1)));
}

// The value with byte n (1 to 4) replaced; the value unchanged for any other n.
constexpr uint32_t SetHotKeyByte(uint32_t value, int n, uint8_t byte) {
  if (n < 1 || n > 4) return value;
  const int shift = 8 * (n - 1);
  return (value & ~(uint32_t{0xFF} << shift)) | uint32_t{byte} << shift;
}

// Left/right Win, Shift, Ctrl and Alt.
inline constexpr std::array<uint8_t, 8> ModifierKeys = {91, 92, 160, 161, 162, 163, 164, 165};
// Pseudo key codes of the mouse: buttons left, right, middle, X1, X2, left double click, wheel
// forward, wheel backward. A hot key on one of them has scan code 0 and flags 0.
inline constexpr std::array<uint8_t, 8> MouseKeys = {1, 2, 4, 5, 6, 14, 136, 137};

constexpr bool IsModifierKey(uint32_t keyCode) {
  for (uint8_t k : ModifierKeys)
    if (k == keyCode) return true;
  return false;
}

constexpr bool IsMouseKey(uint32_t keyCode) {
  for (uint8_t k : MouseKeys)
    if (k == keyCode) return true;
  return false;
}

// The option "Make full keys comparison on hook": when off (the default), keys other than 255 are
// compared by key code only. Process-wide; safe to read from any thread.
bool FullKeysComparison();
void SetFullKeysComparison(bool on);

// Whether a key event (or, with a null event, the HID key `hidText`) held with `modifiers` (the
// mask of GetModifierState at the time of the event) fires `record`. The modifier mask must equal
// the record's exactly.
bool MatchHotKey(const KeyEventRecord* event, uint8_t modifiers, const TActionHKey& record,
                 std::string_view hidText, bool fullComparison = FullKeysComparison());

// Whether two packed values name the same hot key; a value with scan code 0 and flags 0 stands
// for any scan code and flags of its key code.
bool SameHotKey(uint32_t a, uint32_t b, bool fullComparison = FullKeysComparison());

// "%ux%ux%u" of key code, scan code and flags, as in "255x86x0".
std::string KeyTripleText(uint32_t keyCode, uint32_t scanCode, uint32_t flags);

// "Win + ", "Ctrl + ", "Shift + ", "Alt + " in this order, for each bit set in `mask`.
std::string ModifiersToText(uint8_t mask);

// A keyboard message (kWmKeyDown, ...) with its event record.
struct KeyMessage {
  uint32_t message = 0;
  KeyEventRecord record;
};

// The key event that a mouse event stands for: buttons and the wheel become the pseudo keys of
// MouseKeys with scan code 66 and flags 33. Nullopt for messages that have no key (moves, X
// buttons with a number other than 1 or 2, a wheel step of 0).
std::optional<KeyMessage> MouseToKeyEvent(uint32_t message, const MouseEventRecord& event);

// The left- or right-hand code of a generic Shift, Ctrl or Alt (16, 17, 18) as the keyboard hook
// delivers it for injected input on some systems (Wine): Shift by its scan code (0x36 is the
// right one), Ctrl and Alt by the extended flag. Any other code is returned as it is.
uint32_t SidedModifierKey(uint32_t keyCode, uint32_t scanCode, uint32_t hookFlags);

// Turns a key-up (257/261) of a key listed in `upOnlyKeys` (entries "code x scan x flags" such as
// "178x36x1") into a key-down (256/260), when `enabled`. An entry matches the flags as delivered
// or with the key-released bit cleared; the released bit is cleared in `record` on conversion.
// Returns whether it converted.
bool UpOnlyToKeyDown(uint32_t& message, KeyEventRecord& record, bool enabled,
                     std::span<const std::string> upOnlyKeys);

}  // namespace tavion
