#pragma once
// The main window's hooks in Sidekit32.dll: shell, keyboard and (optionally) mouse.

#include <windows.h>

#include <cstdint>

#include "keys/hook_messages.h"
#include "sidekit.h"

namespace tavion {

class SidekitLibrary;

// Receivers that the library calls on its hook thread, in place of the keyboard and mouse
// messages to the main window; null: the messages.
struct HookCalls {
  SidekitHookProc keyboard = nullptr;
  SidekitHookProc mouse = nullptr;
  void* context = nullptr;
};

class MainHooks {
 public:
  MainHooks() = default;
  ~MainHooks() { Remove(); }
  MainHooks(const MainHooks&) = delete;
  MainHooks& operator=(const MainHooks&) = delete;

  // Puts in place, in this order, the shell hook (0x46A), the keyboard hook (0x466) and, when
  // `mouse` is set, the mouse hook (0x468), all reporting to `receiver`. Hooks already in place
  // for the same library and receiver stay as they are, so that switching the mouse hook alone
  // installs or removes only that one. Does nothing when the library did not load. Returns true
  // when every requested hook is in place.
  bool Install(SidekitLibrary& library, HWND receiver, bool mouse);

  // The keyboard and mouse hooks installed from now on call these (when the library can) instead
  // of sending messages; they must stay valid until Remove.
  void SetCalls(HookCalls calls) { calls_ = calls; }

  // Installs the low-level hooks in place (keyboard, and mouse when chosen) afresh, for when the
  // system dropped them while the library still counts them installed: on top of the chain, for
  // the same receiver. Returns whether they are in place again; false before Install.
  bool Reinstall();

  // Removes the hooks in the order keyboard, shell, mouse. Safe to call twice.
  void Remove();

 private:
  // Installs one kind for `receiver_`; returns whether it is in place.
  bool InstallKind(HookKind kind, uint32_t message, SidekitHookProc call = nullptr);

  SidekitLibrary* library_ = nullptr;
  HWND receiver_ = nullptr;
  HookCalls calls_;
  bool shell_ = false;
  bool keyboard_ = false;
  bool mouse_ = false;
  // The library's scratch area: owned by the caller for the library's use, never read here.
  unsigned char scratch_[12] = {};
};

}  // namespace tavion
