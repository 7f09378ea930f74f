#include "keys/tracked_key_state.h"

#include "keys/hotkey.h"
#include "keys/hook_messages.h"

namespace tavion {
namespace {

struct GenericKey {
  uint8_t generic;
  uint8_t left;
  uint8_t right;
};

constexpr GenericKey kGenericKeys[] = {{16, 160, 161}, {17, 162, 163}, {18, 164, 165}};

}  // namespace

void TrackedKeyState::Seed() {
  keys_.fill(Key::kUp);
  for (uint8_t key : ModifierKeys)
    if (physical_.IsDown(key, true)) keys_[key] = Key::kChecked;
}

void TrackedKeyState::Observe(uint32_t message, uint32_t keyCode, bool checkable) {
  if (keyCode > 255) return;
  const bool down = message == kWmKeyDown || message == kWmSysKeyDown;
  if (!down && message != kWmKeyUp && message != kWmSysKeyUp) return;
  for (const GenericKey& g : kGenericKeys)
    if (keyCode == g.generic) keyCode = g.left;
  Key& key = keys_[keyCode];
  if (!down) {
    key = Key::kUp;
  } else if (checkable) {
    key = Key::kChecked;
  } else if (key == Key::kUp) {
    key = Key::kUnchecked;  // an auto-repeat leaves a checkable press as it is
  }
}

void TrackedKeyState::DropMissedReleases() {
  for (uint8_t key : ModifierKeys)
    if (keys_[key] == Key::kChecked && !physical_.IsDown(key, true)) keys_[key] = Key::kUp;
}

bool TrackedKeyState::IsDown(uint8_t keyCode, bool asynchronous) const {
  if (asynchronous) return physical_.IsDown(keyCode, true);
  for (const GenericKey& g : kGenericKeys)
    if (keyCode == g.generic) return keys_[g.left] != Key::kUp || keys_[g.right] != Key::kUp;
  return keys_[keyCode] != Key::kUp;
}

}  // namespace tavion
