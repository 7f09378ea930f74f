#pragma once
// The key state as the keyboard hook has seen it. Portable.
//
// The thread that receives the hook's events is rarely the one with the keyboard focus, so the
// system's synchronous key state of that thread does not follow the keyboard: a modifier held in
// another program reads as up. The hook sees every key event, so it can keep the state itself.
// What it cannot see is a release that never comes through it: one made on the secure desktop
// (after Win + L or Ctrl + Alt + Del), or one that reached the handler too late. So a modifier
// pressed on the keyboard is checked against the physical state before each key-down is matched.
#include <array>
#include <cstdint>

#include "keys/pressed_keys.h"

namespace tavion {

class TrackedKeyState final : public KeyState {
 public:
  // Asynchronous queries go to `physical` (not owned; it must outlive this object).
  explicit TrackedKeyState(const KeyState& physical) : physical_(physical) {}

  // Forgets everything seen and takes the modifiers' state from the physical one: at start, for
  // keys that were already down, and whenever the hook may have missed any number of events.
  void Seed();
  // Records a key event (256/260 down, 257/261 up) of `keyCode`. `checkable` when the physical
  // state shows the press for as long as the key is held: the press came from the keyboard and
  // reached the system. A press that was swallowed never shows there, and one that a program
  // injected need not (Wine, for one, puts the modifiers back to what the X keyboard holds
  // whenever one of its windows is activated); such presses last until their release is seen.
  // The generic Shift, Ctrl and Alt (16, 17, 18) count as their left-hand keys and read down
  // while either side is down.
  void Observe(uint32_t message, uint32_t keyCode, bool checkable);
  // Lets go of every checkable modifier held here that the physical state has up: its release
  // went past the hook.
  void DropMissedReleases();

  bool IsDown(uint8_t keyCode, bool asynchronous) const override;

 private:
  enum class Key : uint8_t {
    kUp,
    kChecked,    // down, and the physical state must agree
    kUnchecked,  // down until its release is seen
  };

  const KeyState& physical_;
  std::array<Key, 256> keys_{};
};

}  // namespace tavion
