#pragma once
// Decisions over the live key state: the modifier mask, the keys held, and the synthetic key
// events that release, press or reset modifier keys. Portable: the key state comes through
// KeyState, and the events are returned for the caller to inject.

#include <array>
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tavion {

// The keyboard's state as the system keeps it.
class KeyState {
 public:
  virtual ~KeyState() = default;
  // Whether `keyCode` (0 to 255) is down: in the calling thread's synchronous state (as its
  // messages have seen it so far), or in the asynchronous (physical) state.
  virtual bool IsDown(uint8_t keyCode, bool asynchronous) const = 0;
};

// Flags of a synthetic keyboard event, as the system's input-injection call takes them.
inline constexpr uint32_t kInputExtended = 1;
inline constexpr uint32_t kInputKeyUp = 2;
inline constexpr uint32_t kInputUnicode = 4;

// One synthetic keyboard event. A scan code of 0 is filled in from the key code when sent.
struct KeyInput {
  uint16_t keyCode = 0;
  uint16_t scanCode = 0;
  uint32_t flags = 0;
  friend bool operator==(const KeyInput&, const KeyInput&) = default;
};

// Which modifier keys to press, indexed by ModifierSlot.
enum ModifierSlot {
  kLeftAlt,
  kRightAlt,
  kLeftCtrl,
  kRightCtrl,
  kLeftShift,
  kRightShift,
  kLeftWin,
  kRightWin,
};
using ModifierSet = std::array<bool, 8>;

// The key code that does nothing by itself; tapped after a hot key held with modifiers so that
// the lone release of a modifier does not reach the system as a key of its own.
inline constexpr uint8_t kDummyKey = 7;

// The modifier mask (Alt 1, Ctrl 2, Shift 4, Win 8) from the synchronous state; either side counts.
uint8_t GetModifierState(const KeyState& state);

// Whether none of left Win, Shift, Ctrl, Alt (resp. the right-hand ones) is down, synchronously.
bool NoLeftModifiersPressed(const KeyState& state);
bool NoRightModifiersPressed(const KeyState& state);

// "[ 17 65]": every key code that is down, asynchronously. The asynchronous state is used because
// callers may run on a worker thread, whose synchronous state never sees keyboard input.
std::string PressedKeysText(const KeyState& state);

// Key-ups for each modifier that is down (asynchronously, for the reason above), in the order
// left Alt, right Alt, left Ctrl, right Ctrl, left Shift, right Shift, left Win, right Win.
std::vector<KeyInput> ReleaseModifiersEvents(const KeyState& state);

// Key-downs for the modifiers set in `modifiers`, in the order of ModifierSlot.
std::vector<KeyInput> PressModifiersEvents(const ModifierSet& modifiers);

// The tap of kDummyKey: down, then up.
std::vector<KeyInput> DummyKeyEvents();

// After the release of `key` (160 to 165): a key-up of `key` when the generic key (16 Shift,
// 17 Ctrl, 18 Alt) still reads down and `otherSideKey` is not down, both asynchronously.
std::optional<KeyInput> ResetModifierKeyEvent(const KeyState& state, uint8_t key,
                                              uint8_t otherSideKey, uint8_t genericKey);

// The modifiers that the key sender presses again after it has typed. The handler clears the
// ones the user releases meanwhile; safe from any thread.
class ModifierRestoreSet {
 public:
  void Set(const ModifierSet& modifiers);
  ModifierSet Get() const;
  void Clear(ModifierSlot slot);

 private:
  std::atomic<uint8_t> bits_{0};
};

// The process's one set.
ModifierRestoreSet& ModifiersToPressAgain();

// The slot of modifier key `keyCode` (91, 92, 160 to 165); -1 for any other key.
int ModifierSlotOf(uint32_t keyCode);

}  // namespace tavion
