#include "pipeline/hook_set_win.h"

#include "keys/hook_messages.h"
#include "pipeline/sidekit_library_win.h"

namespace tavion {

bool MainHooks::Install(SidekitLibrary& library, HWND receiver, bool mouse) {
  Remove();
  if (!library.InitHookEx) return false;
  library_ = &library;
  mouse_ = mouse;
  bool ok =
      library.InitHookEx(scratch_, static_cast<int>(HookKind::kShell), receiver, kMsgShellEvent);
  ok =
      library.InitHookEx(scratch_, static_cast<int>(HookKind::kKeyboard), receiver, kMsgKeyEvent) &&
      ok;
  if (mouse) {
    ok = library.InitHookEx(scratch_, static_cast<int>(HookKind::kMouse), receiver,
                            kMsgMouseEvent) &&
         ok;
  }
  return ok;
}

void MainHooks::Remove() {
  if (!library_) return;
  library_->FreeHookEx(static_cast<int>(HookKind::kKeyboard));
  library_->FreeHookEx(static_cast<int>(HookKind::kShell));
  if (mouse_) library_->FreeHookEx(static_cast<int>(HookKind::kMouse));
  library_ = nullptr;
}

}  // namespace tavion
