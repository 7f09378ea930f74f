#include "macros/send_plan.h"

#include <algorithm>
#include <array>

#include "tavion_plugin.h"

namespace tavion {
namespace {

// Plug-ins ask for these through the public header's numbers.
static_assert(kSendPlayMacro == TAVION_SEND_PLAY_MACRO && kSendAnsiText == TAVION_SEND_ANSI_TEXT &&
              kSendWideText == TAVION_SEND_WIDE_TEXT);

// System flags of mouse events.
constexpr uint32_t kLeftDown = 0x0002, kLeftUp = 0x0004, kRightDown = 0x0008, kRightUp = 0x0010,
                   kMiddleDown = 0x0020, kMiddleUp = 0x0040, kWheel = 0x0800;
constexpr int32_t kWheelStep = 120;

// The modifier keys in ModifierSlot order.
constexpr std::array<uint8_t, 8> kSlotKeys = {164, 165, 162, 163, 160, 161, 91, 92};

// The left-hand keys the mask presses, in the order Alt, Ctrl, Shift, Win; Win is extended.
struct MaskKey {
  uint8_t bit;
  uint8_t keyCode;
  uint32_t flags;
};
constexpr std::array<MaskKey, 4> kMaskKeys = {
    {{1, 164, 0}, {2, 162, 0}, {4, 160, 0}, {8, 91, kInputExtended}}};

}  // namespace

std::vector<KeyInput> TextKeyEvents(std::u16string_view text) {
  std::vector<KeyInput> events;
  events.reserve(text.size() * 2);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c == u'\r' && i + 1 == text.size()) break;
    if (c >= 32) {
      events.push_back({0, static_cast<uint16_t>(c), kInputUnicode});
      events.push_back({0, static_cast<uint16_t>(c), kInputUnicode | kInputKeyUp});
    } else {
      events.push_back({static_cast<uint16_t>(c), 0, 0});
      events.push_back({static_cast<uint16_t>(c), 0, kInputKeyUp});
    }
  }
  return events;
}

std::vector<MouseInput> MouseKeyEvents(uint16_t keyCode) {
  switch (keyCode) {
    case 1:
      return {{kLeftDown, 0}, {kLeftUp, 0}};
    case 2:
      return {{kRightDown, 0}, {kRightUp, 0}};
    case 4:
      return {{kMiddleDown, 0}, {kMiddleUp, 0}};
    case 14:
      return {{kLeftDown, 0}, {kLeftUp, 0}, {kLeftDown, 0}, {kLeftUp, 0}};
    case 136:
      return {{kWheel, kWheelStep}};
    case 137:
      return {{kWheel, -kWheelStep}};
    default:
      return {};
  }
}

ModifierPreparation::ModifierPreparation(const KeyState& state, uint8_t mask) : mask_(mask) {
  // The physical state: the sender may run on a thread whose own state never sees the keyboard.
  for (std::size_t slot = 0; slot < kSlotKeys.size(); ++slot)
    held_[slot] = state.IsDown(kSlotKeys[slot], /*asynchronous=*/true);
  needed_ = mask != 0 || std::find(held_.begin(), held_.end(), true) != held_.end();
}

std::vector<KeyInput> ModifierPreparation::Prepare(const KeyState& state) const {
  if (!needed_) return {};
  std::vector<KeyInput> events = DummyKeyEvents();
  for (const KeyInput& release : ReleaseModifiersEvents(state)) events.push_back(release);
  for (const MaskKey& key : kMaskKeys)
    if (mask_ & key.bit) events.push_back({key.keyCode, 0, key.flags});
  return events;
}

std::vector<KeyInput> ModifierPreparation::Undo(const ModifierSet& pressAgain) const {
  if (!needed_) return {};
  std::vector<KeyInput> events;
  for (const MaskKey& key : kMaskKeys)
    if (mask_ & key.bit) events.push_back({key.keyCode, 0, key.flags | kInputKeyUp});
  for (const KeyInput& press : PressModifiersEvents(pressAgain)) events.push_back(press);
  for (const KeyInput& tap : DummyKeyEvents()) events.push_back(tap);
  return events;
}

}  // namespace tavion
