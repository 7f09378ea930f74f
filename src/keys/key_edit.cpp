#include "keys/key_edit.h"

#include <algorithm>

#include "lang/lang.h"

namespace tavion {
namespace {

constexpr uint8_t kTabKey = 9;
constexpr uint8_t kLeftButtonKey = 1;
constexpr uint8_t kDoubleClickKey = 14;

bool IsKeyUp(uint32_t message) {
  return message == kWmKeyUp || message == kWmSysKeyUp;
}

bool IsKeyDown(uint32_t message) {
  return message == kWmKeyDown || message == kWmSysKeyDown;
}

bool NothingCaptured(const KeyEditState& state) {
  return state.inputMode == TkeInputMode::keNormal ? state.keyCode == 0 : state.hidText.empty();
}

std::string HeldText(const KeyEditShared& shared) {
  return ModifiersToText(HeldModifierMask(shared.held));
}

// The text of a captured key (step 5 of a key-down), after the held modifiers.
void ShowCapturedKey(KeyEditState& state, const KeyEditShared& shared,
                     const KeyEditOptions& options, const KeyEditEnvironment& env) {
  std::string text = HeldText(shared);
  if (state.inputMode == TkeInputMode::keNormal) {
    text += KeyToText(state.keyCode, state.scanCode, state.flags, options.useKeyConvert,
                      options.useExKeys, env.textContext);
  } else {
    text += HidKeyToText(state.hidText, options.useExKeys, env.textContext);
  }
  state.text = std::move(text);
}

void KeyDown(KeyEditState& state, KeyEditShared& shared, const KeyEditOptions& options,
             const KeyEditEnvironment& env, const KeyEventRecord& record, KeyEditOutcome& outcome) {
  const uint32_t keyCode = record.vkCode;
  if (keyCode > 255) return;
  if (keyCode == kScanOnlyKey && !options.use255Keys) return;
  if (keyCode == kTabKey) {
    // Tab moves the focus on unless it is meant as a key with modifiers, and a combination
    // already captured with modifiers is not replaced by it.
    const bool withModifiers = ModifiersOfText(state.text) != 0;
    if (!withModifiers || state.keyCode != 0) return;
  }
  if (keyCode != 0 || record.scanCode != 0 || record.flags != 0) outcome.arrival = KeyArrival::kKey;
  outcome.answer = kSwallowEvent;

  if (!IsModifierKey(keyCode) || options.useAllModeLikeKeys) {
    if (state.inputMode == TkeInputMode::keNormal) {
      const bool doubleClick =
          keyCode == kLeftButtonKey && state.keyCode == kLeftButtonKey && options.useDblClick;
      state.keyCode = doubleClick ? kDoubleClickKey : static_cast<uint8_t>(keyCode);
      const bool mouse = IsMouseKey(state.keyCode);
      state.scanCode = mouse ? 0 : static_cast<uint8_t>(record.scanCode);
      state.flags = mouse ? 0 : static_cast<uint8_t>(record.flags);
    }
    ShowCapturedKey(state, shared, options, env);
    return;
  }
  if (!options.useKeyModes || shared.held.test(keyCode)) {
    outcome.answer = kPassEvent;
    return;
  }
  shared.held.set(keyCode);
  state.keyCode = state.scanCode = state.flags = 0;
  state.text = HeldText(shared);
}

}  // namespace

KeyEditShared& KeyEditSharedState() {
  static KeyEditShared shared;
  return shared;
}

uint8_t ModifiersOfText(std::string_view text) {
  uint8_t mask = 0;
  if (text.find("Alt + ") != std::string_view::npos) mask |= kModAlt;
  if (text.find("Ctrl + ") != std::string_view::npos) mask |= kModCtrl;
  if (text.find("Shift + ") != std::string_view::npos) mask |= kModShift;
  if (text.find("Win + ") != std::string_view::npos) mask |= kModWin;
  return mask;
}

uint8_t HeldModifierMask(const std::bitset<256>& held) {
  uint8_t mask = 0;
  if (held.test(164) || held.test(165)) mask |= kModAlt;
  if (held.test(162) || held.test(163)) mask |= kModCtrl;
  if (held.test(160) || held.test(161)) mask |= kModShift;
  if (held.test(91) || held.test(92)) mask |= kModWin;
  return mask;
}

uint32_t KeyEditHotKey(const KeyEditState& state) {
  return PackHotKey(state.keyCode, state.scanCode, state.flags, ModifiersOfText(state.text));
}

KeyEditOutcome KeyEditKeyEvent(KeyEditState& state, KeyEditShared& shared,
                               const KeyEditOptions& options, const KeyEditEnvironment& env,
                               uint32_t message, KeyEventRecord record) {
  KeyEditOutcome outcome;
  // The control's own release of Tab, and any other input the program sends, is not a key.
  if (record.extraInfo == OwnInputMark) return outcome;
  record.vkCode = SidedModifierKey(record.vkCode, record.scanCode, record.flags);
  if (state.inputMode == TkeInputMode::keNormal)
    UpOnlyToKeyDown(message, record, env.upOnly.emulate, env.upOnly.keys);

  if (IsKeyUp(message)) {
    outcome.answer = kSwallowEvent;
    if (record.vkCode < 256 && IsModifierKey(record.vkCode)) {
      if (shared.held.any()) {
        shared.held.reset(record.vkCode);
      } else {
        outcome.answer = kPassEvent;
      }
    }
    if (!options.useAllModeLikeKeys && shared.held.none() && NothingCaptured(state))
      state.text = kNoKeyText;
    return outcome;
  }
  if (IsKeyDown(message)) KeyDown(state, shared, options, env, record, outcome);
  return outcome;
}

KeyEditOutcome KeyEditMouseEvent(KeyEditState& state, KeyEditShared& shared,
                                 const KeyEditOptions& options, const KeyEditEnvironment& env,
                                 uint32_t message, const MouseEventRecord& record,
                                 bool overControl) {
  KeyEditOutcome outcome;
  outcome.arrival = KeyArrival::kKey;
  if (state.inputMode != TkeInputMode::keNormal || !overControl) return outcome;
  if (const std::optional<KeyMessage> key = MouseToKeyEvent(message, record))
    KeyEditKeyEvent(state, shared, options, env, key->message, key->record);
  return outcome;
}

KeyEditOutcome KeyEditHidKey(KeyEditState& state, KeyEditShared& shared,
                             const KeyEditOptions& options, const KeyEditEnvironment& env,
                             std::string_view hidText) {
  KeyEditOutcome outcome;
  const auto& ignored = shared.ignoredHidKeys;
  if (hidText.empty() || std::find(ignored.begin(), ignored.end(), hidText) != ignored.end())
    return outcome;
  if (state.inputMode == TkeInputMode::keHid) {
    state.hidText = hidText;
    ShowCapturedKey(state, shared, options, env);
  }
  auto& last = shared.lastHidKeys;
  std::erase(last, hidText);
  last.emplace_back(hidText);
  while (last.size() > kLastHidKeys) last.erase(last.begin());
  outcome.hidListChanged = true;
  outcome.arrival = KeyArrival::kHid;
  return outcome;
}

void KeyEditSetHotKey(KeyEditState& state, const KeyEditOptions& options,
                      const KeyEditEnvironment& env, uint32_t value) {
  state.keyCode = HotKeyByte(value, 2);
  state.scanCode = HotKeyByte(value, 3);
  state.flags = HotKeyByte(value, 4);
  if (state.inputMode == TkeInputMode::keHid) {
    state.text = ModifiersToText(HotKeyByte(value, 1)) +
                 HidKeyToText(state.hidText, options.useExKeys, env.textContext);
  } else if ((value & 0xFFFFFF00u) == 0) {
    state.text = kNoKeyText;
  } else {
    state.text = HotKeyValueToText(value, options.useExKeys, options.useKeyConvert,
                                   options.useKeyModes, env.textContext);
  }
}

void KeyEditSetHidKey(KeyEditState& state, const KeyEditShared& shared,
                      const KeyEditOptions& options, const KeyEditEnvironment& env,
                      std::string_view hidText) {
  state.hidText = hidText;
  if (state.inputMode == TkeInputMode::keHid)
    state.text = HeldText(shared) + HidKeyToText(hidText, options.useExKeys, env.textContext);
}

void KeyEditSetInputMode(KeyEditState& state, TkeInputMode mode) {
  if (mode == state.inputMode) return;
  const bool toHid = mode == TkeInputMode::keHid;
  (toHid ? state.normalText : state.hidModeText) = state.text;
  const std::string& restored = toHid ? state.hidModeText : state.normalText;
  state.text = restored.empty() ? std::string(kNoKeyText) : restored;
  state.inputMode = mode;
}

void KeyEditClear(KeyEditState& state, KeyEditShared& shared, const KeyEditOptions& options,
                  const KeyEditEnvironment& env) {
  KeyEditSetHotKey(state, options, env, 0);
  KeyEditSetHidKey(state, shared, options, env, {});
  if (state.inputMode == TkeInputMode::keHid) state.text = kNoKeyText;
  shared.lastHidKeys.clear();
}

std::string KeyEditInfoText(const KeyEditOptions& options) {
  const std::string yes = GetLangStr("NotifyYes", "yes");
  const std::string no = GetLangStr("NotifyNo", "no");
  const auto word = [&](bool on) -> std::string_view { return on ? yes : no; };
  return FormatLangText(
      GetLangStr("InfoKey",
                 "You can use any keys except for <Tab>, but#13it is not recommended to use a "
                 "key reserved#13Windows or other programs, for example:#13<Win+D> <Win+L> "
                 "<Win+U> <Win+Tab> <Alt+Tab>#13<Ctrl+Shift+Del> <Ctrl+Esc> "
                 "<Ctrl+Shift+Esc.>#13#13HotKey modes allowed:#13modifier  -  %s#13mice keys  -  "
                 "%s#13255 keys  -  %s#13keys names  -  %s"),
      {word(options.useKeyModes), word(options.useMouse), word(options.use255Keys),
       word(options.useExKeys)});
}

std::vector<std::string> UnignoredLastHidKeys(const KeyEditShared& shared) {
  std::vector<std::string> keys;
  for (const std::string& key : shared.lastHidKeys) {
    if (std::find(shared.ignoredHidKeys.begin(), shared.ignoredHidKeys.end(), key) ==
        shared.ignoredHidKeys.end())
      keys.push_back(key);
  }
  return keys;
}

void EnglishLayoutWhileFocused::Focused(KeyboardLayouts& layouts) {
  if (switched_) return;
  const uintptr_t active = layouts.Active();
  if (!layouts.ActivateEnglish()) return;
  saved_ = active;
  switched_ = true;
}

void EnglishLayoutWhileFocused::Blurred(KeyboardLayouts& layouts) {
  if (!switched_) return;
  switched_ = false;
  layouts.Activate(saved_);
}

}  // namespace tavion
