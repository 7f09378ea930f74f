#pragma once
// The handler of the hook library's key and mouse messages (0x466, 0x468): decides whether an
// event is swallowed, feeds the macro recorder, and finds the actions whose hot key it fires.
// Portable: what it asks of the system comes through DispatchHost. It never executes an action;
// it only posts the request.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "actions/exec_on.h"
#include "keys/hotkey.h"
#include "keys/pressed_keys.h"
#include "keys/hook_messages.h"
#include "keys/tracked_key_state.h"

namespace tavion {

class ActionTree;
class TAction;

// What the handler asks of the system. Called on the user-interface thread inside the hook's
// synchronous call, so every member must answer at once.
class DispatchHost {
 public:
  virtual ~DispatchHost() = default;

  // The system's key state. The handler asks it only for the asynchronous (physical) state: the
  // synchronous one it keeps itself, from the events it handles (TrackedKeyState).
  virtual const KeyState& Keys() const = 0;
  virtual WindowSystem& Windows() = 0;
  // Whether the action editor, the key-name dialog or the macro editor is visible.
  virtual bool EditorVisible() const = 0;
  // The system tick count in milliseconds.
  virtual uint32_t TickCount() const = 0;
  // The keyboard layout of the foreground window's thread (its low word is the language id).
  virtual uint32_t ForegroundKeyboardLayout() const = 0;
  // Starts the key-press sound of `languageId` without waiting for it.
  virtual void PlayKeyPressSound(uint16_t languageId) = 0;
  // The top-level window under the mouse cursor; 0 when there is none.
  virtual WindowHandle TopLevelWindowUnderCursor() const = 0;
  virtual WindowHandle DesktopWindow() const = 0;
  virtual void Beep() = 0;
  // Injects the events, marked as the program's own input, in one call.
  virtual void SendKeys(std::span<const KeyInput> events) = 0;
  // Posts WM_TV_EXECUTE; false when the request could not be posted.
  virtual bool PostExecute(const std::string& code, uint32_t packedIndex) = 0;
  // Posts WM_TV_ASK_LAUNCH; false when it could not be posted.
  virtual bool PostAskLaunch(std::size_t treeIndex, uint32_t packedIndex) = 0;
  // Posts the lock-state notification (WM_TV_NOTIFY 20) for `keyCode`; it must not wait here.
  virtual void NotifyLockState(uint8_t keyCode) = 0;
  // The macro recording list while one exists, else null.
  virtual std::vector<std::string>* RecordingList() = 0;
};

// "Process modificators:" (OPT_Mod_Proc).
enum class ModifierSides : uint8_t { kAll = 0, kLeftOnly = 1, kRightOnly = 2 };

// The main window's options that the handler reads.
struct DispatchOptions {
  bool blockKeyboard = false;                         // "Block keyboard" (OPT_DIS_KB)
  bool hotKeysDisabled = false;                       // the tray's "Disable %s" (OPT_DIS_TV)
  bool disableWinKey = false;                         // "Disable 'Win' key" (OPT_DIS_WIN)
  bool keyPressSound = false;                         // "Play sound on key press" (OPT_TYPE_NOTIFY)
  ModifierSides modifierSides = ModifierSides::kAll;  // OPT_Mod_Proc
  bool severalActionsOnOneKey = false;                // Opt_SemiKeyAc
  bool showLockState = false;                         // Opt_LockState
  bool mouseHotKeys = false;                          // Opt_MiceKeyAc
  bool emulateUpOnlyKeys = false;                     // Opt_tr_upkeys
  // TR_upkeys_list: entries such as "178x36x1".
  std::vector<std::string> upOnlyKeys;
  // The capture control's ignored HID key texts.
  std::vector<std::string> ignoredHidKeys;
};

// The code of the action that works while hot keys are switched off.
inline constexpr std::string_view kToggleHotKeysCode = "tv_e/\\d";

// Window within which a second press of the same key counts as a repeat.
inline constexpr uint32_t kSecondPressMs = 500;

// lParam of WM_TV_EXECUTE and WM_TV_ASK_LAUNCH: the tree index in the low word, the repeat count
// in the high word.
constexpr uint32_t PackActionRequest(std::size_t treeIndex, int16_t repeat) {
  return static_cast<uint16_t>(treeIndex) | uint32_t{static_cast<uint16_t>(repeat)} << 16;
}

// The question asked before an action with MBox runs: "Launch action - %s?" in the current
// language, with the action's name.
std::string LaunchQuestionText(const TAction& action);

class HotKeyDispatcher {
 public:
  // Takes the modifiers already down from `host`, which must outlive the dispatcher.
  explicit HotKeyDispatcher(DispatchHost& host) : host_(host), keys_(host.Keys()) { keys_.Seed(); }

  void SetOptions(DispatchOptions options) { options_ = std::move(options); }
  const DispatchOptions& CurrentOptions() const { return options_; }

  // Indexes the actions of `tree`, which must stay alive and unchanged until the next Rebuild;
  // call it whenever the list or a hot key changes. Before the first call no action fires.
  void Rebuild(const ActionTree& tree);
  // Forgets the tree (before it is cleared or destroyed).
  void Clear();
  // Takes the modifiers' state afresh from the system, for when the hook may have missed any
  // number of key events (the session was locked, or switched to another desktop).
  void ResyncKeys() { keys_.Seed(); }

  // Message 0x466: wParam and lParam as the hook library or the raw-input layer sends them (an
  // HID key: wParam points to a length byte and the text, lParam is kHidKeyEventMarker).
  // Returns kSwallowEvent or kPassEvent.
  intptr_t HandleKeyMessage(uintptr_t wParam, intptr_t lParam);
  // Message 0x468.
  intptr_t HandleMouseMessage(uintptr_t wParam, intptr_t lParam);

  // The same, decoded.
  intptr_t OnKeyEvent(uint32_t message, const KeyEventRecord* record);
  intptr_t OnHidKey(std::string_view text);
  intptr_t OnMouseEvent(uint32_t message, const MouseEventRecord* record);

  // The tree indices, in tree order, of the actions whose hot key `event` (or, with a null
  // event, the HID key `hidText`) fires with `modifiers`.
  std::vector<std::size_t> MatchingActions(const KeyEventRecord* event, uint8_t modifiers,
                                           std::string_view hidText) const;

 private:
  // The walk's state for one key-down or HID key.
  struct KeyDown;

  // Indices of the actions that could match; a superset of the matches, in tree order.
  std::span<const uint32_t> Candidates(const KeyEventRecord* event, uint8_t modifiers,
                                       std::string_view hidText) const;
  intptr_t HandleKey(uint32_t message, KeyEventRecord record);
  intptr_t HandleKeyDown(const KeyEventRecord* event, std::string_view hidText);
  void RecordMacroKey(const KeyEventRecord& record);
  // Steps of one matched action; returns whether the walk goes on to the next action.
  bool WalkAction(std::size_t index, const TAction& action, KeyDown& down);
  bool ModifierSidesAllow(const TAction& action) const;
  bool ParentNeverRuns(std::size_t index) const;
  bool ConditionsHold(const TAction& action, const KeyDown& down);
  void RequestExecution(std::size_t index, const TAction& action, KeyDown& down);
  intptr_t CommonTail(uint32_t message, const KeyEventRecord& record, bool ownInput,
                      intptr_t result);

  DispatchHost& host_;
  TrackedKeyState keys_;  // what the synchronous queries of the handler read
  DispatchOptions options_;
  const ActionTree* tree_ = nullptr;
  // Ordinary hot keys by key code and modifier mask (HotKeyIndexKey); HID hot keys by text.
  std::unordered_map<uint16_t, std::vector<uint32_t>> byKey_;
  std::map<std::string, std::vector<uint32_t>, std::less<>> byHidText_;
};

}  // namespace tavion
