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
  for (uint8_t key : ModifierKeys) down_[key] = physical_.IsDown(key, true);
}

void TrackedKeyState::Observe(uint32_t message, uint32_t keyCode) {
  if (keyCode > 255) return;
  const bool down = message == kWmKeyDown || message == kWmSysKeyDown;
  if (!down && message != kWmKeyUp && message != kWmSysKeyUp) return;
  for (const GenericKey& g : kGenericKeys)
    if (keyCode == g.generic) keyCode = g.left;
  down_[keyCode] = down;
}

bool TrackedKeyState::IsDown(uint8_t keyCode, bool asynchronous) const {
  if (asynchronous) return physical_.IsDown(keyCode, true);
  for (const GenericKey& g : kGenericKeys)
    if (keyCode == g.generic) return down_[g.left] || down_[g.right];
  return down_[keyCode];
}

}  // namespace tavion
