#include "keys/key_input_win.h"

#include <vector>

#include "base/utf_win.h"
#include "keys/hook_messages.h"

extern "C" BOOL WINAPI IsKeyPressed(int key, BOOL toggled, BOOL asynchronous) {
  if (key < 0 || key > 255) return FALSE;
  // Bit 0 is taken from whichever state was asked for; in the asynchronous state it means
  // "pressed since the last query" rather than toggled, and plug-ins get it as it is.
  const auto state = static_cast<uint16_t>(asynchronous ? GetAsyncKeyState(key) : GetKeyState(key));
  return (state & (toggled ? 0x0001 : 0x8000)) != 0 ? TRUE : FALSE;
}

namespace tavion {

bool LiveKeyState::IsDown(uint8_t keyCode, bool asynchronous) const {
  const auto state =
      static_cast<uint16_t>(asynchronous ? GetAsyncKeyState(keyCode) : GetKeyState(keyCode));
  return (state & 0x8000) != 0;
}

const KeyState& LiveKeyboardState() {
  static const LiveKeyState state;
  return state;
}

bool SendKeyInputs(std::span<const KeyInput> events) {
  if (events.empty()) return true;
  std::vector<INPUT> inputs(events.size());
  const DWORD now = GetTickCount();
  for (std::size_t i = 0; i < events.size(); ++i) {
    const KeyInput& event = events[i];
    KEYBDINPUT& key = inputs[i].ki;
    inputs[i].type = INPUT_KEYBOARD;
    key.wVk = event.keyCode;
    key.wScan = event.scanCode;
    // A Unicode event carries its character in the scan code; there is nothing to map.
    if (key.wScan == 0 && (event.flags & kInputUnicode) == 0)
      key.wScan = static_cast<WORD>(MapVirtualKeyW(event.keyCode, MAPVK_VK_TO_VSC));
    key.dwFlags = event.flags;
    key.time = now;
    key.dwExtraInfo = OwnInputMark;
  }
  const UINT count = static_cast<UINT>(inputs.size());
  return SendInput(count, inputs.data(), sizeof(INPUT)) == count;
}

bool SendKeyInput(uint16_t keyCode, uint16_t scanCode, uint32_t flags) {
  const KeyInput event{keyCode, scanCode, flags};
  return SendKeyInputs({&event, 1});
}

bool SendMouseInput(int32_t dx, int32_t dy, uint32_t data, uint32_t flags) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = dx;
  input.mi.dy = dy;
  input.mi.mouseData = data;
  input.mi.dwFlags = flags;
  input.mi.time = 0;
  input.mi.dwExtraInfo = OwnInputMark;
  return SendInput(1, &input, sizeof input) == 1;
}

bool SendDummyKey() {
  return SendKeyInputs(DummyKeyEvents());
}

bool ReleaseModifiers() {
  return SendKeyInputs(ReleaseModifiersEvents(LiveKeyboardState()));
}

bool PressModifiers(const ModifierSet& modifiers) {
  return SendKeyInputs(PressModifiersEvents(modifiers));
}

bool ResetModifierKey(uint8_t key, uint8_t otherSideKey, uint8_t genericKey) {
  const std::optional<KeyInput> release =
      ResetModifierKeyEvent(LiveKeyboardState(), key, otherSideKey, genericKey);
  return !release || SendKeyInputs({&*release, 1});
}

uint32_t Win32SystemKeyNames::ScanCodeOf(uint32_t keyCode) const {
  return MapVirtualKeyW(keyCode, MAPVK_VK_TO_VSC);
}

std::string Win32SystemKeyNames::KeyName(uint32_t lParam) const {
  wchar_t name[256];
  const int length = GetKeyNameTextW(static_cast<LONG>(lParam), name, 256);
  if (length <= 0) return {};
  return WideToUtf8(std::wstring_view(name, static_cast<std::size_t>(length)));
}

void InstallSystemKeyNames() {
  static const Win32SystemKeyNames names;
  SetDefaultSystemKeyNames(&names);
}

}  // namespace tavion
