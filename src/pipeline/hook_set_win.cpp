#include "pipeline/hook_set_win.h"

#include "pipeline/sidekit_library_win.h"

namespace tavion {

bool MainHooks::Install(SidekitLibrary& library, HWND receiver, bool mouse) {
  if (library_ != &library || receiver_ != receiver) Remove();
  if (!library.InitHookEx) return false;
  library_ = &library;
  receiver_ = receiver;
  // A kind that failed before is tried again; the others are left alone.
  if (!shell_) shell_ = InstallKind(HookKind::kShell, kMsgShellEvent);
  if (!keyboard_) keyboard_ = InstallKind(HookKind::kKeyboard, kMsgKeyEvent, calls_.keyboard);
  if (mouse && !mouse_) {
    mouse_ = InstallKind(HookKind::kMouse, kMsgMouseEvent, calls_.mouse);
  } else if (!mouse && mouse_) {
    mouse_ = !library.FreeHookEx(static_cast<int>(HookKind::kMouse));
  }
  return shell_ && keyboard_ && mouse_ == mouse;
}

bool MainHooks::InstallKind(HookKind kind, uint32_t message, SidekitHookProc call) {
  if (call && library_->InitHookCall)
    return library_->InitHookCall(static_cast<int>(kind), call, calls_.context) != FALSE;
  return library_->InitHookEx(scratch_, static_cast<int>(kind), receiver_, message) != FALSE;
}

bool MainHooks::Reinstall() {
  if (!library_) return false;
  // The library keeps a kind it counts installed as it is: removed first, it goes in afresh.
  const bool mouse = mouse_;
  library_->FreeHookEx(static_cast<int>(HookKind::kKeyboard));
  keyboard_ = false;
  if (mouse) {
    library_->FreeHookEx(static_cast<int>(HookKind::kMouse));
    mouse_ = false;
  }
  return Install(*library_, receiver_, mouse);
}

void MainHooks::Remove() {
  if (!library_) return;
  library_->FreeHookEx(static_cast<int>(HookKind::kKeyboard));
  library_->FreeHookEx(static_cast<int>(HookKind::kShell));
  if (mouse_) library_->FreeHookEx(static_cast<int>(HookKind::kMouse));
  library_ = nullptr;
  receiver_ = nullptr;
  shell_ = keyboard_ = mouse_ = false;
}

}  // namespace tavion
