#include "pipeline/key_dispatch.h"

#include "macros/macro_format.h"

#include <algorithm>

#include "actions/action.h"
#include "actions/action_tree.h"
#include "lang/lang.h"
#include "settings/settings.h"

namespace tavion {
namespace {

constexpr uint8_t kLeftWinKey = 91;
// The key text of an HID key in the ignored-key list: it never counts as a press.
constexpr std::string_view kIgnoredKeyText = "nil";
constexpr uint8_t kRightWinKey = 92;

bool IsKeyDownMessage(uint32_t message) {
  return message == kWmKeyDown || message == kWmSysKeyDown;
}

bool IsKeyUpMessage(uint32_t message) {
  return message == kWmKeyUp || message == kWmSysKeyUp;
}

// Key codes above 255 come only from odd events; no key of the keyboard is down under them.
bool IsDown(const KeyState& keys, uint32_t keyCode, bool asynchronous) {
  return keyCode <= 255 && keys.IsDown(static_cast<uint8_t>(keyCode), asynchronous);
}

// The key on the other side and the generic key of a side-specific Shift, Ctrl or Alt key.
struct ModifierPair {
  uint8_t key, otherSide, generic;
};
constexpr ModifierPair kModifierPairs[] = {{160, 161, 16}, {161, 160, 16}, {162, 163, 17},
                                           {163, 162, 17}, {164, 165, 18}, {165, 164, 18}};

// The index of an ordinary hot key: its key code and modifier mask, both compared exactly.
constexpr uint16_t HotKeyIndexKey(uint8_t keyCode, uint8_t modifiers) {
  return static_cast<uint16_t>(keyCode << 8 | modifiers);
}

// Keys whose release announces the lock state: Caps Lock, Num Lock, Scroll Lock.
constexpr bool IsLockKey(uint32_t keyCode) {
  return keyCode == 20 || keyCode == 144 || keyCode == 145;
}

}  // namespace

std::string LaunchQuestionText(const TAction& action) {
  return FormatLangText(GetLangStr("QuestBeforLaunch", "Launch action - %s?"), {action.Name()});
}

struct HotKeyDispatcher::KeyDown {
  const KeyEventRecord* event;  // null for an HID key
  std::string_view hidText;
  std::string keyText;  // the current key text
  uint8_t modifiers;
  intptr_t result = kPassEvent;
  bool requested = false;  // an execution request of this key is posted
};

void HotKeyDispatcher::Rebuild(const ActionTree& tree) {
  Clear();
  tree_ = &tree;
  for (std::size_t i = 0; i < tree.Count(); ++i) {
    const TAction* action = tree.ActionByIndex(i);
    if (action == nullptr) continue;
    const TActionHKey& key = action->Key0();
    const auto index = static_cast<uint32_t>(i);
    if (key.InputMode() == TkeInputMode::keHid) {
      // An HID hot key without its text can match nothing.
      if (!key.KeyPolyglot().empty()) byHidText_[key.KeyPolyglot()].push_back(index);
      continue;
    }
    const uint8_t keyCode = HotKeyByte(key.HKey(), 2);
    if (keyCode == 0 && key.KeyPolyglot().empty()) continue;  // no hot key at all
    byKey_[HotKeyIndexKey(keyCode, HotKeyByte(key.HKey(), 1))].push_back(index);
  }
}

void HotKeyDispatcher::Clear() {
  tree_ = nullptr;
  byKey_.clear();
  byHidText_.clear();
}

std::span<const uint32_t> HotKeyDispatcher::Candidates(const KeyEventRecord* event,
                                                       uint8_t modifiers,
                                                       std::string_view hidText) const {
  if (tree_ == nullptr) return {};
  if (event != nullptr) {
    if (event->vkCode > 255) return {};
    const auto found = byKey_.find(HotKeyIndexKey(static_cast<uint8_t>(event->vkCode), modifiers));
    if (found == byKey_.end()) return {};
    return found->second;
  }
  const auto found = byHidText_.find(hidText);
  if (found == byHidText_.end()) return {};
  return found->second;
}

std::vector<std::size_t> HotKeyDispatcher::MatchingActions(const KeyEventRecord* event,
                                                           uint8_t modifiers,
                                                           std::string_view hidText) const {
  std::vector<std::size_t> matches;
  for (const uint32_t index : Candidates(event, modifiers, hidText)) {
    const TAction* action = tree_->ActionByIndex(index);
    if (action && MatchHotKey(event, modifiers, action->Key0(), hidText)) matches.push_back(index);
  }
  return matches;
}

intptr_t HotKeyDispatcher::HandleKeyMessage(uintptr_t wParam, intptr_t lParam) {
  if (lParam == kHidKeyEventMarker) {
    if (wParam == 0) return kPassEvent;
    const auto* text = reinterpret_cast<const unsigned char*>(wParam);
    return OnHidKey(std::string_view(reinterpret_cast<const char*>(text + 1), text[0]));
  }
  return OnKeyEvent(static_cast<uint32_t>(wParam), reinterpret_cast<const KeyEventRecord*>(lParam));
}

intptr_t HotKeyDispatcher::HandleMouseMessage(uintptr_t wParam, intptr_t lParam) {
  return OnMouseEvent(static_cast<uint32_t>(wParam),
                      reinterpret_cast<const MouseEventRecord*>(lParam));
}

intptr_t HotKeyDispatcher::OnKeyEvent(uint32_t message, const KeyEventRecord* record) {
  if (record == nullptr) return kPassEvent;
  // Copied before anything else: a record from the hook may be reused once the hook stopped
  // waiting for the answer. Every rule about modifiers speaks of the left and right keys.
  KeyEventRecord sided = *record;
  sided.vkCode = SidedModifierKey(sided.vkCode, sided.scanCode, sided.flags);
  const intptr_t result = host_.EditorVisible() ? kPassEvent : HandleKey(message, sided);
  // The system counts the event only once the hook has answered.
  keys_.Observe(message, sided.vkCode,
                result != kSwallowEvent && (sided.flags & kKeyFlagInjected) == 0);
  return result;
}

intptr_t HotKeyDispatcher::OnMouseEvent(uint32_t message, const MouseEventRecord* record) {
  if (record == nullptr || !options_.mouseHotKeys || options_.hotKeysDisabled ||
      host_.EditorVisible()) {
    return kPassEvent;
  }
  const std::optional<KeyMessage> key = MouseToKeyEvent(message, *record);
  if (!key) return kPassEvent;
  return HandleKey(key->message, key->record);
}

intptr_t HotKeyDispatcher::OnHidKey(std::string_view text) {
  if (host_.EditorVisible()) return kPassEvent;
  const SettingsRecord& settings = Settings();
  if (settings.SendingKeys || settings.MacroPlaying) return kPassEvent;
  return HandleKeyDown(nullptr, text);
}

intptr_t HotKeyDispatcher::HandleKey(uint32_t message, KeyEventRecord record) {
  SettingsRecord& settings = Settings();
  const bool ownInput = record.extraInfo == OwnInputMark;
  if (settings.SendingKeys || settings.MacroPlaying || ownInput)
    return CommonTail(message, record, ownInput, kPassEvent);

  UpOnlyToKeyDown(message, record, options_.emulateUpOnlyKeys, options_.upOnlyKeys);
  const uint32_t keyCode = record.vkCode;
  if (!IsMouseKey(keyCode)) {
    if (options_.blockKeyboard) return kSwallowEvent;
    // An auto-repeat finds its key already down in the physical state.
    if (options_.keyPressSound && !options_.hotKeysDisabled && IsKeyDownMessage(message) &&
        !IsDown(keys_, keyCode, true)) {
      host_.PlayKeyPressSound(static_cast<uint16_t>(host_.ForegroundKeyboardLayout()));
    }
  }
  if (settings.MacroRecording) {
    if (!IsMouseKey(keyCode)) RecordMacroKey(record);
    return CommonTail(message, record, ownInput, kPassEvent);
  }

  intptr_t result = kPassEvent;
  if (IsKeyUpMessage(message)) {
    for (const ModifierPair& pair : kModifierPairs) {
      if (pair.key != keyCode) continue;
      if (auto release = ResetModifierKeyEvent(keys_, pair.key, pair.otherSide, pair.generic))
        host_.SendKeys({&*release, 1});
    }
  } else if (IsKeyDownMessage(message)) {
    result = HandleKeyDown(&record, {});
  }
  if ((keyCode == kLeftWinKey || keyCode == kRightWinKey) && options_.disableWinKey &&
      (IsKeyUpMessage(message) || IsKeyDownMessage(message))) {
    result = kSwallowEvent;
  }
  return CommonTail(message, record, ownInput, result);
}

void HotKeyDispatcher::RecordMacroKey(const KeyEventRecord& record) {
  std::vector<std::string>* lines = host_.RecordingList();
  if (lines == nullptr) return;
  SettingsRecord& settings = Settings();
  const uint32_t now = host_.TickCount();
  // The first line names the keyboard layout the macro was recorded in.
  const std::string layout = std::to_string(host_.ForegroundKeyboardLayout());
  if (lines->empty()) {
    lines->push_back(layout);
  } else if (lines->front().empty()) {
    lines->front() = layout;
  }
  lines->push_back(MacroEventItem(MacroEventFromKey(record.vkCode, record.scanCode, record.flags,
                                                    now - settings.LastRecordTime)));
  settings.LastRecordTime = now;
}

intptr_t HotKeyDispatcher::HandleKeyDown(const KeyEventRecord* event, std::string_view hidText) {
  SettingsRecord& settings = Settings();
  keys_.DropMissedReleases();
  const uint8_t modifiers = GetModifierState(keys_);
  KeyDown down{event, hidText, {}, modifiers};

  if (event != nullptr) {
    if (event->vkCode == kLeftWinKey && !IsDown(keys_, kLeftWinKey, true))
      settings.LeftWinUsed = false;
    if (event->vkCode == kRightWinKey && !IsDown(keys_, kRightWinKey, true))
      settings.RightWinUsed = false;
    down.keyText = std::to_string(PackHotKey(static_cast<uint8_t>(event->vkCode),
                                             static_cast<uint8_t>(event->scanCode),
                                             static_cast<uint8_t>(event->flags), modifiers));
    if (!IsModifierKey(event->vkCode) && event->vkCode != kDummyKey) settings.LastHotKeyCode = 0;
  } else {
    const auto& ignored = options_.ignoredHidKeys;
    down.keyText = std::find(ignored.begin(), ignored.end(), hidText) != ignored.end()
                       ? std::string(kIgnoredKeyText)
                       : std::string(hidText);
  }

  for (const uint32_t index : Candidates(event, modifiers, hidText)) {
    const TAction* action = tree_->ActionByIndex(index);
    if (action == nullptr || !MatchHotKey(event, modifiers, action->Key0(), hidText)) continue;
    if (!WalkAction(index, *action, down)) break;
  }

  if (down.keyText != kIgnoredKeyText) {
    if (settings.LastKeyText != down.keyText) {
      settings.LastKeyText = down.keyText;
    } else {
      settings.LastKeyText.clear();  // a third press is a first press again
    }
  }
  settings.LastKeyTime = host_.TickCount();
  return down.result;
}

bool HotKeyDispatcher::WalkAction(std::size_t index, const TAction& action, KeyDown& down) {
  SettingsRecord& settings = Settings();
  const TActionExecOn& on = action.ActionExecOn();
  // Once a hot key matched, only the option lets a later action on the same key be considered.
  const bool goOn = options_.severalActionsOnOneKey;
  const bool ordinary = down.event != nullptr;

  if (ordinary && HotKeyByte(action.Key0().HKey(), 1) != 0) {
    if (!ModifierSidesAllow(action)) return goOn;
    if (!on.DontBlockHotKey) {
      if (keys_.IsDown(kLeftWinKey, false)) settings.LeftWinUsed = true;
      if (keys_.IsDown(kRightWinKey, false)) settings.RightWinUsed = true;
    }
  }
  if (on.Blck) down.result = kSwallowEvent;
  if (on.Nevr || ParentNeverRuns(index)) return goOn;
  if (options_.hotKeysDisabled && action.Exec() != kToggleHotKeysCode) return true;
  if (on.MSwa) {
    const WindowHandle window = host_.TopLevelWindowUnderCursor();
    if (window == 0) {
      host_.Beep();
      return goOn;
    }
    host_.Windows().BringToForeground(window);
  }
  if (on.StFD) host_.Windows().BringToForeground(host_.DesktopWindow());
  on.StFW.IfExists(host_.Windows(), /*activate=*/true);
  if (on.Lang != 0 && on.Lang != host_.ForegroundKeyboardLayout()) return goOn;
  if (!ConditionsHold(action, down)) return goOn;

  if (ordinary && !on.DontBlockHotKey) {
    settings.LastHotKeyCode = static_cast<uint16_t>(down.event->vkCode);
    if (down.modifiers != 0) host_.SendKeys(DummyKeyEvents());
    down.result = kSwallowEvent;
  }
  RequestExecution(index, action, down);
  return goOn;
}

bool HotKeyDispatcher::ModifierSidesAllow(const TAction& action) const {
  const TActionExecOn& on = action.ActionExecOn();
  if (!on.ModOnlyL && !on.ModOnlyR) {
    switch (options_.modifierSides) {
      case ModifierSides::kLeftOnly:
        return NoRightModifiersPressed(keys_);
      case ModifierSides::kRightOnly:
        return NoLeftModifiersPressed(keys_);
      case ModifierSides::kAll:
        return true;
    }
    return true;
  }
  if (on.ModOnlyL && NoLeftModifiersPressed(keys_)) return false;
  if (on.ModOnlyR && NoRightModifiersPressed(keys_)) return false;
  return true;
}

bool HotKeyDispatcher::ParentNeverRuns(std::size_t index) const {
  const ActionTree::Node* node = tree_->NodeAt(index);
  if (node == nullptr || !node->parent) return false;
  const TAction* parent = tree_->ActionByIndex(*node->parent);
  return parent != nullptr && parent->ActionExecOn().Nevr;
}

bool HotKeyDispatcher::ConditionsHold(const TAction& action, const KeyDown& down) {
  const TActionExecOn& on = action.ActionExecOn();
  WindowSystem& windows = host_.Windows();
  if (!on.IfWa.IfActive(windows) || !on.IfWe.IfExists(windows, /*activate=*/false) ||
      !on.IfWi.IfNotActive(windows) || !on.IfNW.IfNotExists(windows)) {
    return false;
  }
  if (on.ExecOnRepeat) {
    const SettingsRecord& settings = Settings();
    const std::string_view pressed = down.event ? std::string_view(down.keyText) : down.hidText;
    if (host_.TickCount() - settings.LastKeyTime > kSecondPressMs ||
        settings.LastKeyText != pressed) {
      return false;
    }
  }
  return true;
}

void HotKeyDispatcher::RequestExecution(std::size_t index, const TAction& action, KeyDown& down) {
  SettingsRecord& settings = Settings();
  // While an execution is in flight, later keys (a held key's auto-repeat, another hot key) start
  // nothing, whatever is on screen; each end of an execution clears the flag. The actions that
  // one key fires all run.
  if (settings.ActionBusy.exchange(true) && !down.requested) return;
  const TActionExecOn& on = action.ActionExecOn();
  const uint32_t packed = PackActionRequest(index, on.Rept);
  // A question box would hold the hook call; the main window asks once the key is answered.
  const bool posted =
      on.MBox ? host_.PostAskLaunch(index, packed) : host_.PostExecute(action.Exec(), packed);
  if (posted)
    down.requested = true;
  else if (!down.requested)
    settings.ActionBusy = false;
}

intptr_t HotKeyDispatcher::CommonTail(uint32_t message, const KeyEventRecord& record, bool ownInput,
                                      intptr_t result) {
  SettingsRecord& settings = Settings();
  const uint32_t keyCode = record.vkCode;
  const bool keyUp = IsKeyUpMessage(message);

  const int slot = ModifierSlotOf(keyCode);
  if (settings.SendingKeys && !ownInput && keyUp && slot >= 0)
    ModifiersToPressAgain().Clear(static_cast<ModifierSlot>(slot));

  if (!ownInput && settings.MacroPlaying) {
    if (IsModifierKey(keyCode)) {
      result = kSwallowEvent;
    } else if (keyCode != kDummyKey && keyCode != settings.LastHotKeyCode) {
      settings.MacroPlaying = false;
    }
  }

  if (!ownInput && keyUp) {
    if (settings.LastHotKeyCode != 0 && settings.LastHotKeyCode == keyCode) {
      settings.LastHotKeyCode = 0;
      result = kSwallowEvent;
    }
    // The lone release of Win after a hot key would open the Start menu: swallow it, tap the
    // dummy key, then release Win ourselves.
    const bool leftUsed = keyCode == kLeftWinKey && settings.LeftWinUsed;
    const bool rightUsed = keyCode == kRightWinKey && settings.RightWinUsed;
    if ((leftUsed || rightUsed) && !settings.SendingKeys) {
      std::vector<KeyInput> events = DummyKeyEvents();
      events.push_back({static_cast<uint16_t>(keyCode), 0, kInputKeyUp | kInputExtended});
      host_.SendKeys(events);
      result = kSwallowEvent;
    }
  }

  if (keyUp && IsLockKey(keyCode) && options_.showLockState && result == kPassEvent &&
      !Options().Dispatching) {
    host_.NotifyLockState(static_cast<uint8_t>(keyCode));
  }
  return result;
}

}  // namespace tavion
