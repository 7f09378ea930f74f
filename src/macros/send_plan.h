#pragma once
// What the key sender injects, decided without the system: the key events of a typed text, the
// mouse events of a mouse pseudo-key, and the modifier keys pressed and released around a send.
// Portable; the Win32 side injects the lists in order.

#include <cstdint>
#include <string_view>
#include <vector>

#include "keys/pressed_keys.h"

namespace tavion {

// Modes of the key sender, in place of a key code.
inline constexpr uint16_t kSendPlayMacro = 0x1000;
inline constexpr uint16_t kSendAnsiText = 0x1001;
inline constexpr uint16_t kSendWideText = 0x1003;

// The keys that type `text`: a character from 32 up as a Unicode character (down, up); one below
// 32 as the key of that code (carriage return is Enter, tab is Tab). A carriage return that ends
// the text types nothing.
std::vector<KeyInput> TextKeyEvents(std::u16string_view text);

// One synthetic mouse event at the cursor: system mouse-event flags and wheel data.
struct MouseInput {
  uint32_t flags = 0;
  int32_t data = 0;
  friend bool operator==(const MouseInput&, const MouseInput&) = default;
};

// The mouse events of a mouse pseudo-key (1 left, 2 right, 4 middle click, 14 left double click,
// 136 wheel up, 137 wheel down); empty for the extra buttons 5 and 6 and for any other code.
std::vector<MouseInput> MouseKeyEvents(uint16_t keyCode);

// The modifier keys around one send. Prepare() is what goes before the send, Undo() what goes
// after it; Needed() is false when no modifier is down and the mask is 0, and then both are empty.
class ModifierPreparation {
 public:
  // `mask`: 1 Alt, 2 Ctrl, 4 Shift, 8 Win, pressed (left-hand keys) for the send.
  ModifierPreparation(const KeyState& state, uint8_t mask);

  bool Needed() const { return needed_; }
  // The modifiers the user held, to be pressed again afterwards.
  const ModifierSet& Held() const { return held_; }
  // Tap of the neutral key, release of every modifier down, press of the mask's modifiers.
  std::vector<KeyInput> Prepare(const KeyState& state) const;
  // Release of the mask's modifiers, press of `pressAgain` (Held() minus what the user released
  // meanwhile), tap of the neutral key.
  std::vector<KeyInput> Undo(const ModifierSet& pressAgain) const;

 private:
  uint8_t mask_;
  ModifierSet held_{};
  bool needed_ = false;
};

}  // namespace tavion
