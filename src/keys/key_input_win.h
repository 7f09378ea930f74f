#pragma once
// The live key state, synthetic keyboard and mouse input, and the system's key names.
// Every injected event carries OwnInputMark as its extra information.

#include <windows.h>

#include <cstdint>
#include <span>
#include <string>

#include "keys/key_text.h"
#include "keys/pressed_keys.h"

// Exported by Tavion.exe for plug-ins: whether `key` (0 to 255) is down (or, with `toggled`,
// toggled on), in the calling thread's synchronous state or, with `asynchronous`, the physical
// one. FALSE for a key code outside 0 to 255.
extern "C" BOOL WINAPI IsKeyPressed(int key, BOOL toggled, BOOL asynchronous);

namespace tavion {

// KeyState over GetKeyState / GetAsyncKeyState.
class LiveKeyState final : public KeyState {
 public:
  bool IsDown(uint8_t keyCode, bool asynchronous) const override;
};

// The process's one live key state.
const KeyState& LiveKeyboardState();

// The routines of pressed_keys.h over the live state.
inline uint8_t GetModifierState() {
  return GetModifierState(LiveKeyboardState());
}
inline bool NoLeftModifiersPressed() {
  return NoLeftModifiersPressed(LiveKeyboardState());
}
inline bool NoRightModifiersPressed() {
  return NoRightModifiersPressed(LiveKeyboardState());
}
inline std::string PressedKeysText() {
  return PressedKeysText(LiveKeyboardState());
}

// Injects one keyboard event; `flags` are kInputExtended, kInputKeyUp, kInputUnicode. A scan code
// of 0 is replaced by the one the layout maps the key code to. Returns whether it was injected.
bool SendKeyInput(uint16_t keyCode, uint16_t scanCode, uint32_t flags);
// Injects the events in one call, so nothing can come between them.
bool SendKeyInputs(std::span<const KeyInput> events);
// Injects one mouse event (time 0).
bool SendMouseInput(int32_t dx, int32_t dy, uint32_t data, uint32_t flags);

// Taps kDummyKey (down and up in one call).
bool SendDummyKey();
// Releases every modifier key that is down.
bool ReleaseModifiers();
// Presses the modifiers set in `modifiers` (ModifierSlot order).
bool PressModifiers(const ModifierSet& modifiers);
// After the release of `key`, releases it again when the system still reads the generic key
// down (see ResetModifierKeyEvent). Returns whether nothing had to be sent or it was sent.
bool ResetModifierKey(uint8_t key, uint8_t otherSideKey, uint8_t genericKey);

// SystemKeyNames over GetKeyNameTextW and MapVirtualKeyW of the current keyboard layout.
class Win32SystemKeyNames final : public SystemKeyNames {
 public:
  uint32_t ScanCodeOf(uint32_t keyCode) const override;
  std::string KeyName(uint32_t lParam) const override;
};

// Makes the Win32 key names the default for key texts (DefaultKeyTextContext). Call at start-up.
void InstallSystemKeyNames();

}  // namespace tavion
