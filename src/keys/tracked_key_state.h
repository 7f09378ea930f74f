#pragma once
// The key state as the keyboard hook has seen it. Portable.
//
// The thread that receives the hook's events is rarely the one with the keyboard focus, so the
// system's synchronous key state of that thread does not follow the keyboard: a modifier held in
// another program reads as up. The hook sees every key event, so it can keep the state itself.
#include <array>
#include <cstdint>

#include "keys/pressed_keys.h"

namespace tavion {

class TrackedKeyState final : public KeyState {
 public:
  // Asynchronous queries go to `physical` (not owned; it must outlive this object).
  explicit TrackedKeyState(const KeyState& physical) : physical_(physical) {}

  // Takes the modifiers' state from the physical one, for keys that were already down before
  // the hook saw them.
  void Seed();
  // Records a key event (256/260 down, 257/261 up) of `keyCode`. The generic Shift, Ctrl and Alt
  // (16, 17, 18) count as their left-hand keys and read down while either side is down.
  void Observe(uint32_t message, uint32_t keyCode);

  bool IsDown(uint8_t keyCode, bool asynchronous) const override;

 private:
  const KeyState& physical_;
  std::array<bool, 256> down_{};
};

}  // namespace tavion
