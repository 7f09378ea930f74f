#pragma once
// The messages through which Sidekit32.dll reports hook events, and the event records they carry.
// Shared by the library, the program and the tests; portable (no <windows.h>).

#include <cstdint>

namespace tavion {

// Hook kinds understood by InitHookEx / FreeHookEx.
enum class HookKind : int {
  kMenu = 1,             // menu commands chosen in other programs
  kKeyboard = 2,         // low-level keyboard hook for the main window
  kCaptureKeyboard = 3,  // low-level keyboard hook for the focused capture control
  kMouse = 4,            // low-level mouse hook for the main window
  kCaptureMouse = 5,     // low-level mouse hook for the focused capture control
  kShell = 6,            // shell events: keyboard language changed, application command
};

// Message numbers (WM_USER = 0x400).
inline constexpr uint32_t kMsgMenuCommand = 0x465;  // wParam: the message the command sends
inline constexpr uint32_t kMsgKeyEvent = 0x466;     // also: menu command's wParam/lParam
inline constexpr uint32_t kMsgCaptureKeyEvent = 0x467;
inline constexpr uint32_t kMsgMouseEvent = 0x468;
inline constexpr uint32_t kMsgCaptureMouseEvent = 0x469;
inline constexpr uint32_t kMsgShellEvent = 0x46A;
inline constexpr uint32_t kMsgCaptureHidKey = 0x46B;

// lParam of kMsgKeyEvent when the raw-input layer sends an HID key text in wParam.
inline constexpr intptr_t kHidKeyEventMarker = 666;

// Keyboard messages as wParam of the key event messages.
inline constexpr uint32_t kWmKeyDown = 256;
inline constexpr uint32_t kWmKeyUp = 257;
inline constexpr uint32_t kWmSysKeyDown = 260;
inline constexpr uint32_t kWmSysKeyUp = 261;

// Mouse messages as wParam of the mouse event messages.
inline constexpr uint32_t kWmLButtonDown = 513;
inline constexpr uint32_t kWmLButtonUp = 514;
inline constexpr uint32_t kWmRButtonDown = 516;
inline constexpr uint32_t kWmRButtonUp = 517;
inline constexpr uint32_t kWmMButtonDown = 519;
inline constexpr uint32_t kWmMButtonUp = 520;
inline constexpr uint32_t kWmMouseWheel = 522;
inline constexpr uint32_t kWmXButtonDown = 523;
inline constexpr uint32_t kWmXButtonUp = 524;

// Whether the mouse hooks deliver `message`: the buttons and the wheel, the only mouse messages a
// hot key can use. The others, moves above all, pass inside the hook library.
constexpr bool IsDeliveredMouseMessage(uint32_t message) {
  switch (message) {
    case kWmLButtonDown:
    case kWmLButtonUp:
    case kWmRButtonDown:
    case kWmRButtonUp:
    case kWmMButtonDown:
    case kWmMButtonUp:
    case kWmMouseWheel:
    case kWmXButtonDown:
    case kWmXButtonUp:
      return true;
    default:
      return false;
  }
}

// Shell events as wParam of kMsgShellEvent.
inline constexpr uint32_t kShellLanguageChanged = 8;  // lParam low word: language identifier
inline constexpr uint32_t kShellAppCommand = 12;      // lParam high word: the command

// Answer of a receiver: swallow the event, or pass it on.
inline constexpr intptr_t kSwallowEvent = 1;
inline constexpr intptr_t kPassEvent = 0;

// The extra information that marks input this program injected itself.
inline constexpr uint32_t OwnInputMark = 777;

// Key event record (lParam of 0x466 / 0x467).
struct KeyEventRecord {
  uint32_t vkCode = 0;
  uint32_t scanCode = 0;
  uint32_t flags = 0;  // bit 0 extended key, bit 7 key released
  uint32_t time = 0;
  uint32_t extraInfo = 0;
};
static_assert(sizeof(KeyEventRecord) == 20);

inline constexpr uint32_t kKeyFlagExtended = 0x01;
inline constexpr uint32_t kKeyFlagInjected = 0x10;  // sent by a program, not by the keyboard
inline constexpr uint32_t kKeyFlagReleased = 0x80;

// Mouse event record (lParam of 0x468 / 0x469).
struct MouseEventRecord {
  int32_t x = 0;
  int32_t y = 0;
  uint32_t mouseData = 0;  // high word: wheel delta, or the X button number 1 or 2
  uint32_t flags = 0;
  uint32_t time = 0;
  uint32_t extraInfo = 0;
};
static_assert(sizeof(MouseEventRecord) == 24);

}  // namespace tavion
