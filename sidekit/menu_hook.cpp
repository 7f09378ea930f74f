#include "menu_hook.h"

#include "event_delivery.h"
#include "hook_targets.h"

namespace tavion::sidekit {

namespace {

DWORD ProcessOfWindow(HWND window) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  return process;
}

}  // namespace

bool IsMenuCommand(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND) return HIWORD(wParam) == 0 && lParam == 0;
  if (message == WM_SYSCOMMAND) {
    // The low four bits of a system command are the system's own.
    const WPARAM command = wParam & 0xFFF0;
    return command != SC_KEYMENU && command != SC_MOUSEMENU;
  }
  return false;
}

void ReportMenuCommand(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (!IsMenuCommand(message, wParam, lParam)) return;
  const SharedTargets* shared = SharedHookTargets();
  if (!shared) return;
  const HookTarget target = shared->menu.Get();
  if (!target.window) return;
  const DWORD receiverProcess = ProcessOfWindow(target.window);
  if (receiverProcess == 0) return;  // the receiver is gone
  // The window's process, not necessarily ours: a hook of one bitness sees the other bitness's
  // events in the installing process.
  const DWORD sourceProcess = window ? ProcessOfWindow(window) : GetCurrentProcessId();
  if (sourceProcess == receiverProcess) return;
  // The answers do not matter: a menu command is only observed.
  DeliverToTarget(target, message, 0);
  DeliverToTarget({target.window, target.message + 1}, wParam, lParam);
}

LRESULT CALLBACK MenuGetMessageProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && wParam == PM_REMOVE) {
    const auto* msg = reinterpret_cast<const MSG*>(lParam);
    ReportMenuCommand(msg->hwnd, msg->message, msg->wParam, msg->lParam);
  }
  return CallNextHookEx(/*hhk=*/nullptr, code, wParam, lParam);
}

LRESULT CALLBACK MenuCallWndProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION) {
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    ReportMenuCommand(call->hwnd, call->message, call->wParam, call->lParam);
  }
  return CallNextHookEx(/*hhk=*/nullptr, code, wParam, lParam);
}

}  // namespace tavion::sidekit
