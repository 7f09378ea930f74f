#pragma once
// The one key sender of the process (SendKeys), its export for plug-ins (SendKeyPressEx) and the
// macro player. Every caller goes through one lock; while a send runs, user input is blocked (where
// the system allows it), Settings().SendingKeys is set and the user's modifier keys are lifted.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string_view>

#include "macros/key_sender.h"
#include "macros/send_plan.h"
#include "sidekit.h"
#include "tavion_plugin.h"

// Exported by Tavion.exe for plug-ins: SendKeys with the fields of `block`. Returns 1 on success,
// 0 for a null block or a failed send.
extern "C" uint8_t WINAPI SendKeyPressEx(const TavionKeyPress* block);

namespace tavion {

class RegistryStore;

// What the key sender needs from the program. Set at start-up, before the first send.
struct KeySenderServices {
  const RegistryStore* macros = nullptr;          // rooted at the settings root; null: no macros
  ForceForegroundWindowFn raiseWindow = nullptr;  // null: SetForegroundWindow
};
void SetKeySenderServices(const KeySenderServices& services);

// Sends one key, mouse action, macro or text. `keyCode` is a virtual-key code (1 to 255), a mouse
// pseudo-key, or kSendPlayMacro (the macro named by `ansiText`, or by `wideText` when `ansiText`
// is null), kSendAnsiText (`ansiText`, line feeds dropped) or kSendWideText (`wideText`).
// `modifiers` (1 Alt, 2 Ctrl, 4 Shift, 8 Win) are held around the key; `keyFlags` bit 0 makes it
// extended; `target` (or null) is raised first and, with `restore`, the window that was in front
// comes back afterwards; `delayMs` is waited before the key-down, between down and up and after
// the key-up. A text of more than a few hundred characters frees the input and stops, as a macro
// does, at a key of the user. Returns false for key code 0 or above 255 that is no mode, and when
// a macro's playback or a long text did not run to its end. Safe from any thread; the calls run
// one at a time.
bool SendKeys(uint8_t modifiers, uint16_t keyCode, uint16_t scanCode, uint16_t keyFlags,
              HWND target, bool restore, uint16_t delayMs, const char* ansiText,
              const wchar_t* wideText);

// SendKeys as a KeySender.
KeySender DefaultKeySender();

// Plays the stored macro `name` into the focused window. True when the playback ran to its end
// (also for a missing macro, an empty name or a macro too short to hold an event), false when the
// user stopped it, the program is ending or an event item is not a number. Meant to run inside
// SendKeys (mode kSendPlayMacro), which blocks input around it; it takes the sender's lock itself.
bool PlayMacro(std::string_view name);

// Waits `ms` while processing the thread's messages. With `stopOnKey` it ends early once
// Settings().MacroPlaying has been cleared. Returns false when the application is ending.
bool MacroWait(uint32_t ms, bool stopOnKey);

}  // namespace tavion
