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

void DispatchHost::RecordKey(uint32_t layout, std::string item) {
  if (std::vector<std::string>* lines = RecordingList())
    AppendRecordedKey(*lines, layout, std::move(item));
}

void AppendRecordedKey(std::vector<std::string>& lines, uint32_t layout, std::string item) {
  if (lines.empty()) {
    lines.push_back(std::to_string(layout));
  } else if (lines.front().empty()) {
    lines.front() = std::to_string(layout);
  }
  lines.push_back(std::move(item));
}

struct HotKeyDispatcher::KeyDown {
  const KeyEventRecord* event;  // null for an HID key
  std::string_view hidText;
  std::string keyText;  // the current key text
  uint8_t modifiers;
  intptr_t result = kPassEvent;
  bool requested = false;  // an execution request of this key is posted
};

class HotKeyDispatcher::Reading {
 public:
  explicit Reading(HotKeyDispatcher& owner) : owner_(owner) {
    if (owner_.depth_++ == 0) owner_.reading_ = owner_.published_.Hold();
  }
  ~Reading() {
    if (--owner_.depth_ > 0) return;
    owner_.reading_ = nullptr;
    owner_.published_.Release();
  }
  Reading(const Reading&) = delete;
  Reading& operator=(const Reading&) = delete;

 private:
  HotKeyDispatcher& owner_;
};

void HotKeyDispatcher::Publish() {
  published_.Publish(std::make_unique<const DispatchSnapshot>(DispatchSnapshot{options_, index_}));
}

void HotKeyDispatcher::SetOptions(DispatchOptions options) {
  options_ = std::move(options);
  Publish();
}

void HotKeyDispatcher::Rebuild(const ActionTree& tree) {
  auto index = std::make_shared<DispatchIndex>();
  for (std::size_t i = 0; i < tree.Count(); ++i) {
    const TAction* action = tree.ActionByIndex(i);
    if (action == nullptr) continue;
    const TActionHKey& key = action->Key0();
    const auto position = static_cast<uint32_t>(index->entries.size());
    if (key.InputMode() == TkeInputMode::keHid) {
      // An HID hot key without its text can match nothing.
      if (key.KeyPolyglot().empty()) continue;
      index->byHidText[key.KeyPolyglot()].push_back(position);
    } else {
      const uint8_t keyCode = HotKeyByte(key.HKey(), 2);
      if (keyCode == 0 && key.KeyPolyglot().empty()) continue;  // no hot key at all
      index->byKey[HotKeyIndexKey(keyCode, HotKeyByte(key.HKey(), 1))].push_back(position);
    }
    const ActionTree::Node* node = tree.NodeAt(i);
    const TAction* parent = node && node->parent ? tree.ActionByIndex(*node->parent) : nullptr;
    index->entries.push_back({static_cast<uint32_t>(i), key, action->ActionExecOn(), action->Exec(),
                              parent && parent->ActionExecOn().Nevr});
  }
  index_ = std::move(index);
  Publish();
}

void HotKeyDispatcher::Clear() {
  index_.reset();
  Publish();
}

std::span<const uint32_t> HotKeyDispatcher::Candidates(const KeyEventRecord* event,
                                                       uint8_t modifiers,
                                                       std::string_view hidText) const {
  const DispatchIndex* index = reading_->index.get();
  if (index == nullptr) return {};
  if (event != nullptr) {
    if (event->vkCode > 255) return {};
    const auto found =
        index->byKey.find(HotKeyIndexKey(static_cast<uint8_t>(event->vkCode), modifiers));
    if (found == index->byKey.end()) return {};
    return found->second;
  }
  const auto found = index->byHidText.find(hidText);
  if (found == index->byHidText.end()) return {};
  return found->second;
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
  const Reading reading(*this);
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
  const Reading reading(*this);
  if (record == nullptr || !Opts().mouseHotKeys || Opts().hotKeysDisabled ||
      host_.EditorVisible()) {
    return kPassEvent;
  }
  const std::optional<KeyMessage> key = MouseToKeyEvent(message, *record);
  if (!key) return kPassEvent;
  return HandleKey(key->message, key->record);
}

intptr_t HotKeyDispatcher::OnHidKey(std::string_view text) {
  const Reading reading(*this);
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

  UpOnlyToKeyDown(message, record, Opts().emulateUpOnlyKeys, Opts().upOnlyKeys);
  const uint32_t keyCode = record.vkCode;
  if (!IsMouseKey(keyCode)) {
    if (Opts().blockKeyboard) return kSwallowEvent;
    // An auto-repeat finds its key already down in the physical state.
    if (Opts().keyPressSound && !Opts().hotKeysDisabled && IsKeyDownMessage(message) &&
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
  if ((keyCode == kLeftWinKey || keyCode == kRightWinKey) && Opts().disableWinKey &&
      (IsKeyUpMessage(message) || IsKeyDownMessage(message))) {
    result = kSwallowEvent;
  }
  return CommonTail(message, record, ownInput, result);
}

void HotKeyDispatcher::RecordMacroKey(const KeyEventRecord& record) {
  SettingsRecord& settings = Settings();
  const uint32_t now = host_.TickCount();
  host_.RecordKey(host_.ForegroundKeyboardLayout(),
                  MacroEventItem(MacroEventFromKey(record.vkCode, record.scanCode, record.flags,
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
    const auto& ignored = Opts().ignoredHidKeys;
    down.keyText = std::find(ignored.begin(), ignored.end(), hidText) != ignored.end()
                       ? std::string(kIgnoredKeyText)
                       : std::string(hidText);
  }

  for (const uint32_t position : Candidates(event, modifiers, hidText)) {
    const Entry& action = reading_->index->entries[position];
    if (!MatchHotKey(event, modifiers, action.key, hidText)) continue;
    if (!WalkAction(action, down)) break;
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

bool HotKeyDispatcher::WalkAction(const Entry& action, KeyDown& down) {
  SettingsRecord& settings = Settings();
  const TActionExecOn& on = action.on;
  // Once a hot key matched, only the option lets a later action on the same key be considered.
  const bool goOn = Opts().severalActionsOnOneKey;
  const bool ordinary = down.event != nullptr;

  if (ordinary && HotKeyByte(action.key.HKey(), 1) != 0) {
    if (!ModifierSidesAllow(on)) return goOn;
    if (!on.DontBlockHotKey) {
      if (keys_.IsDown(kLeftWinKey, false)) settings.LeftWinUsed = true;
      if (keys_.IsDown(kRightWinKey, false)) settings.RightWinUsed = true;
    }
  }
  if (on.Blck) down.result = kSwallowEvent;
  if (on.Nevr || action.parentNever) return goOn;
  if (Opts().hotKeysDisabled && action.exec != kToggleHotKeysCode) return true;
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
  if (!ConditionsHold(on, down)) return goOn;

  if (ordinary && !on.DontBlockHotKey) {
    settings.LastHotKeyCode = static_cast<uint16_t>(down.event->vkCode);
    if (down.modifiers != 0) host_.SendKeys(DummyKeyEvents());
    down.result = kSwallowEvent;
  }
  RequestExecution(action, down);
  return goOn;
}

bool HotKeyDispatcher::ModifierSidesAllow(const TActionExecOn& on) const {
  if (!on.ModOnlyL && !on.ModOnlyR) {
    switch (Opts().modifierSides) {
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

bool HotKeyDispatcher::ConditionsHold(const TActionExecOn& on, const KeyDown& down) {
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

void HotKeyDispatcher::RequestExecution(const Entry& action, KeyDown& down) {
  SettingsRecord& settings = Settings();
  // While an execution is in flight, later keys (a held key's auto-repeat, another hot key) start
  // nothing, whatever is on screen; each end of an execution clears the flag. The actions that
  // one key fires all run.
  if (settings.ActionBusy.exchange(true) && !down.requested) return;
  const uint32_t packed = PackActionRequest(action.treeIndex, action.on.Rept);
  // A question box would hold the hook call; the main window asks once the key is answered.
  const bool posted = action.on.MBox ? host_.PostAskLaunch(action.treeIndex, packed)
                                     : host_.PostExecute(action.exec, packed);
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

  if (keyUp && IsLockKey(keyCode) && Opts().showLockState && result == kPassEvent &&
      !Options().Dispatching) {
    host_.NotifyLockState(static_cast<uint8_t>(keyCode));
  }
  return result;
}

}  // namespace tavion
