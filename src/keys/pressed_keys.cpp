#include "keys/pressed_keys.h"

#include <cstddef>
#include <initializer_list>

#include "keys/hotkey.h"

namespace tavion {
namespace {

struct ModifierKey {
  uint8_t keyCode;
  uint32_t extended;  // kInputExtended where the key is sent as an extended key
};

// In ModifierSlot order. Only the left-hand Alt, Ctrl and Shift go out as plain keys.
constexpr std::array<ModifierKey, 8> kModifierKeys = {{
    {164, 0},
    {165, kInputExtended},
    {162, 0},
    {163, kInputExtended},
    {160, 0},
    {161, kInputExtended},
    {91, kInputExtended},
    {92, kInputExtended},
}};

bool AnyDown(const KeyState& state, std::initializer_list<uint8_t> keys, bool asynchronous) {
  for (uint8_t key : keys)
    if (state.IsDown(key, asynchronous)) return true;
  return false;
}

}  // namespace

uint8_t GetModifierState(const KeyState& state) {
  uint8_t mask = 0;
  if (AnyDown(state, {164, 165}, false)) mask |= kModAlt;
  if (AnyDown(state, {162, 163}, false)) mask |= kModCtrl;
  if (AnyDown(state, {160, 161}, false)) mask |= kModShift;
  if (AnyDown(state, {91, 92}, false)) mask |= kModWin;
  return mask;
}

bool NoLeftModifiersPressed(const KeyState& state) {
  return !AnyDown(state, {91, 160, 162, 164}, false);
}

bool NoRightModifiersPressed(const KeyState& state) {
  return !AnyDown(state, {92, 161, 163, 165}, false);
}

std::string PressedKeysText(const KeyState& state) {
  std::string text = "[";
  for (int key = 0; key <= 255; ++key) {
    if (!state.IsDown(static_cast<uint8_t>(key), true)) continue;
    text += ' ';
    text += std::to_string(key);
  }
  text += "]";
  return text;
}

std::vector<KeyInput> ReleaseModifiersEvents(const KeyState& state) {
  std::vector<KeyInput> events;
  for (const ModifierKey& modifier : kModifierKeys) {
    if (state.IsDown(modifier.keyCode, true))
      events.push_back({modifier.keyCode, 0, kInputKeyUp | modifier.extended});
  }
  return events;
}

std::vector<KeyInput> PressModifiersEvents(const ModifierSet& modifiers) {
  std::vector<KeyInput> events;
  for (std::size_t slot = 0; slot < kModifierKeys.size(); ++slot) {
    if (modifiers[slot])
      events.push_back({kModifierKeys[slot].keyCode, 0, kModifierKeys[slot].extended});
  }
  return events;
}

std::vector<KeyInput> DummyKeyEvents() {
  return {{kDummyKey, 0, 0}, {kDummyKey, 0, kInputKeyUp}};
}

std::optional<KeyInput> ResetModifierKeyEvent(const KeyState& state, uint8_t key,
                                              uint8_t otherSideKey, uint8_t genericKey) {
  if (state.IsDown(otherSideKey, true) || !state.IsDown(genericKey, true)) return std::nullopt;
  return KeyInput{key, 0, kInputKeyUp};
}

void ModifierRestoreSet::Set(const ModifierSet& modifiers) {
  uint8_t bits = 0;
  for (std::size_t slot = 0; slot < modifiers.size(); ++slot)
    if (modifiers[slot]) bits |= static_cast<uint8_t>(1u << slot);
  bits_.store(bits);
}

ModifierSet ModifierRestoreSet::Get() const {
  const uint8_t bits = bits_.load();
  ModifierSet modifiers{};
  for (std::size_t slot = 0; slot < modifiers.size(); ++slot) modifiers[slot] = (bits >> slot) & 1;
  return modifiers;
}

void ModifierRestoreSet::Clear(ModifierSlot slot) {
  bits_.fetch_and(static_cast<uint8_t>(~(1u << slot)));
}

ModifierRestoreSet& ModifiersToPressAgain() {
  static ModifierRestoreSet set;
  return set;
}

int ModifierSlotOf(uint32_t keyCode) {
  // In ModifierSlot order.
  static constexpr uint8_t kSlotKeys[] = {164, 165, 162, 163, 160, 161, 91, 92};
  for (int slot = 0; slot < static_cast<int>(std::size(kSlotKeys)); ++slot)
    if (kSlotKeys[slot] == keyCode) return slot;
  return -1;
}

}  // namespace tavion
