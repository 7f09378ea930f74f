#pragma once
// The decisions of the hot-key capture control (TKeyEdit): what a key, mouse or HID event does to
// the captured key and its text, whether the event is swallowed, and what the hosting frame is
// told. Portable; the control (key_edit_win.h) feeds it the hook messages.

#include <bitset>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "keys/hotkey.h"
#include "keys/key_text.h"

namespace tavion {

// The window class of the capture control; the raw-input layer looks for it at the focus.
inline constexpr std::wstring_view kKeyEditClass = L"TKeyEdit";

// The text that stands for "no key".
inline constexpr std::string_view kNoKeyText = "None";
// How many distinct HID keys the star menu offers.
inline constexpr std::size_t kLastHidKeys = 5;

// The published properties of a capture control.
struct KeyEditOptions {
  bool use255Keys = true;           // accept keys with key code 255
  bool useExKeys = true;            // show the user's key names
  bool useKeyModes = true;          // modifier keys combine with a key
  bool useKeyConvert = true;        // name keys through the system's key names
  bool useMouse = true;             // capture mouse buttons and the wheel
  bool useDblClick = false;         // a second left click gives the double-click code 14
  bool useAllModeLikeKeys = false;  // a modifier alone is captured as a key
};

// One control's capture.
struct KeyEditState {
  TkeInputMode inputMode = TkeInputMode::keNormal;
  uint8_t keyCode = 0;
  uint8_t scanCode = 0;
  uint8_t flags = 0;
  std::string hidText;
  std::string text{kNoKeyText};
  // The texts last shown in the mode that is not the current one.
  std::string normalText{kNoKeyText};
  std::string hidModeText{kNoKeyText};
};

// What every capture control shares: only the focused one receives events.
struct KeyEditShared {
  std::bitset<256> held;                 // modifier keys held down
  std::vector<std::string> lastHidKeys;  // the last distinct HID keys, oldest first
  std::vector<std::string> ignoredHidKeys;
};

// The process's shared capture state (user-interface thread only).
KeyEditShared& KeyEditSharedState();

// The up-only keys whose release counts as a press (Opt_tr_upkeys with TR_upkeys_list).
struct UpOnlyKeys {
  bool emulate = false;
  std::vector<std::string> keys;  // entries "code x scan x flags" such as "178x36x1"
};

// What the control's environment contributes to an event.
struct KeyEditEnvironment {
  UpOnlyKeys upOnly;
  KeyTextContext textContext = DefaultKeyTextContext();
};

// The hosting frame's notice (message 0x4C9's wParam): which kind of key arrived.
enum class KeyArrival : uint8_t { kNone = 0, kKey = 1, kHid = 2 };

struct KeyEditOutcome {
  intptr_t answer = kPassEvent;  // the hook message's result
  KeyArrival arrival = KeyArrival::kNone;
  bool hidListChanged = false;  // the last-five list changed: the star button follows
};

// The modifier mask that a text names ("Alt + ", "Ctrl + ", "Shift + ", "Win + ").
uint8_t ModifiersOfText(std::string_view text);
// The mask of the held modifier keys, either side counting, as GetModifierState reads it.
uint8_t HeldModifierMask(const std::bitset<256>& held);

// The captured hot key: code, scan code and flags with the modifiers the text shows.
uint32_t KeyEditHotKey(const KeyEditState& state);

// A key event of the capture hook (message 0x467). Input the program injected itself passes.
KeyEditOutcome KeyEditKeyEvent(KeyEditState& state, KeyEditShared& shared,
                               const KeyEditOptions& options, const KeyEditEnvironment& env,
                               uint32_t message, KeyEventRecord record);
// A mouse event of the capture hook (message 0x469); `overControl` tells whether the event's
// point lies over the control itself. Never swallowed.
KeyEditOutcome KeyEditMouseEvent(KeyEditState& state, KeyEditShared& shared,
                                 const KeyEditOptions& options, const KeyEditEnvironment& env,
                                 uint32_t message, const MouseEventRecord& record,
                                 bool overControl);
// An HID key text from the raw-input layer (message 0x46B).
KeyEditOutcome KeyEditHidKey(KeyEditState& state, KeyEditShared& shared,
                             const KeyEditOptions& options, const KeyEditEnvironment& env,
                             std::string_view hidText);

// SetHotKey: stores the value's key and shows it (the value's modifiers included).
void KeyEditSetHotKey(KeyEditState& state, const KeyEditOptions& options,
                      const KeyEditEnvironment& env, uint32_t value);
// SetHidKey: stores the HID text; in keHid mode shows it after the held modifiers.
void KeyEditSetHidKey(KeyEditState& state, const KeyEditShared& shared,
                      const KeyEditOptions& options, const KeyEditEnvironment& env,
                      std::string_view hidText);
// Switches the mode, keeping each mode's last text.
void KeyEditSetInputMode(KeyEditState& state, TkeInputMode mode);
// The clear button: no key, no HID key, and the last-five list emptied.
void KeyEditClear(KeyEditState& state, KeyEditShared& shared, const KeyEditOptions& options,
                  const KeyEditEnvironment& env);

// The info button's text: "InfoKey" with yes/no for key modes, mouse, 255 keys and key names.
std::string KeyEditInfoText(const KeyEditOptions& options);

// The last-five entries that are not ignored (the star menu's "Last 5 unique keys" and "Add key
// to ignore list" items).
std::vector<std::string> UnignoredLastHidKeys(const KeyEditShared& shared);

// The keyboard layouts of the focused thread, as the control switches them.
class KeyboardLayouts {
 public:
  virtual ~KeyboardLayouts() = default;
  virtual uintptr_t Active() = 0;
  // Loads and activates US English; returns whether it did.
  virtual bool ActivateEnglish() = 0;
  virtual void Activate(uintptr_t layout) = 0;
};

// Key names come out in English while a capture control has the focus; the user's own layout
// comes back when it loses it.
class EnglishLayoutWhileFocused {
 public:
  void Focused(KeyboardLayouts& layouts);
  void Blurred(KeyboardLayouts& layouts);

 private:
  bool switched_ = false;
  uintptr_t saved_ = 0;
};

}  // namespace tavion
