#pragma once
// The handler of the hook library's key and mouse messages (0x466, 0x468): decides whether an
// event is swallowed, feeds the macro recorder, and finds the actions whose hot key it fires.
// Portable: what it asks of the system comes through DispatchHost. It never executes an action;
// it only posts the request.

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "actions/exec_on.h"
#include "base/snapshot_cell.h"
#include "keys/hotkey.h"
#include "keys/pressed_keys.h"
#include "keys/hook_messages.h"
#include "keys/tracked_key_state.h"

namespace tavion {

class ActionTree;
class TAction;

// What the handler asks of the system. Called inside the hook's synchronous call (on the hook's
// own thread, or on the thread of a window that a key message was sent to), so every member must
// answer at once and none may wait for the user-interface thread.
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
  // Adds a recorded key event (`item`, a macro item) for keyboard layout `layout`. This one
  // writes into RecordingList() at once; a host that runs away from the recorder's thread posts
  // them there instead.
  virtual void RecordKey(uint32_t layout, std::string item);
};

// Appends a recorded key to a macro's lines: the first line names the keyboard layout the macro
// was recorded in, and is filled in by the first key.
void AppendRecordedKey(std::vector<std::string>& lines, uint32_t layout, std::string item);

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

// The hot keys of the actions, copied out of the tree: what one key event walks, never changed
// once published, so that the tree can be edited while keys are handled on another thread.
struct DispatchIndex {
  struct Entry {
    uint32_t treeIndex;
    TActionHKey key;
    TActionExecOn on;
    std::string exec;
    bool parentNever;  // the action's folder has Nevr set
  };
  std::vector<Entry> entries;  // in tree order
  // Positions in `entries`, in tree order: ordinary hot keys by key code and modifier mask
  // (HotKeyIndexKey), HID hot keys by text.
  std::unordered_map<uint16_t, std::vector<uint32_t>> byKey;
  std::map<std::string, std::vector<uint32_t>, std::less<>> byHidText;
};

// Everything the handler reads that the user-interface thread changes, published as a whole.
struct DispatchSnapshot {
  DispatchOptions options;
  std::shared_ptr<const DispatchIndex> index;  // null: no actions
};

// Threads: the handler (the Handle/On functions) may run on any thread, but its calls must not
// overlap across threads (a caller that serves two threads holds a lock of its own); a call may
// come back into the handler on the same thread, through the keys it sends. The publishing
// functions (SetOptions, Rebuild, Clear) belong to one other thread and never wait for the
// handler; the handler takes no lock to read what they published.
class HotKeyDispatcher {
 public:
  // Takes the modifiers already down from `host`, which must outlive the dispatcher.
  explicit HotKeyDispatcher(DispatchHost& host) : host_(host), keys_(host.Keys()) {
    keys_.Seed();
    Publish();
  }

  void SetOptions(DispatchOptions options);

  // Indexes the actions of `tree`; call it whenever the list, a hot key or an action's switches
  // change. The handler works on its own copy: the tree may change or go at once. Before the
  // first call no action fires.
  void Rebuild(const ActionTree& tree);
  // Forgets the actions.
  void Clear();
  // Takes the modifiers' state afresh from the system, for when the hook may have missed any
  // number of key events (the session was locked, or switched to another desktop). A handler
  // call: the same thread rules apply.
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

 private:
  // The walk's state for one key-down or HID key.
  struct KeyDown;
  // Holds the published snapshot for the outermost handler call; calls nested in it share it.
  class Reading;
  using Entry = DispatchIndex::Entry;

  const DispatchOptions& Opts() const { return reading_->options; }
  void Publish();
  // Positions in the index of the actions that could match; a superset of the matches, in tree
  // order.
  std::span<const uint32_t> Candidates(const KeyEventRecord* event, uint8_t modifiers,
                                       std::string_view hidText) const;
  intptr_t HandleKey(uint32_t message, KeyEventRecord record);
  intptr_t HandleKeyDown(const KeyEventRecord* event, std::string_view hidText);
  void RecordMacroKey(const KeyEventRecord& record);
  // Steps of one matched action; returns whether the walk goes on to the next action.
  bool WalkAction(const Entry& action, KeyDown& down);
  bool ModifierSidesAllow(const TActionExecOn& on) const;
  bool ConditionsHold(const TActionExecOn& on, const KeyDown& down);
  void RequestExecution(const Entry& action, KeyDown& down);
  intptr_t CommonTail(uint32_t message, const KeyEventRecord& record, bool ownInput,
                      intptr_t result);

  DispatchHost& host_;
  TrackedKeyState keys_;  // what the synchronous queries of the handler read
  // The publishing thread's own copies of what it last published.
  DispatchOptions options_;
  std::shared_ptr<const DispatchIndex> index_;
  SnapshotCell<DispatchSnapshot> published_;
  const DispatchSnapshot* reading_ = nullptr;  // during a handler call
  int depth_ = 0;                              // handler calls in progress on this thread
};

}  // namespace tavion
