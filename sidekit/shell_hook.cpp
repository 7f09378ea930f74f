#include "shell_hook.h"

#include "event_delivery.h"
#include "hook_targets.h"

namespace tavion::sidekit {

bool ReportShellEvent(int code, LPARAM lParam) {
  if (code != HSHELL_LANGUAGE && code != HSHELL_APPCOMMAND) return false;
  const SharedTargets* shared = SharedHookTargets();
  if (!shared) return false;
  return DeliverToTarget(shared->shell.Get(), static_cast<WPARAM>(code), lParam);
}

LRESULT CALLBACK ShellHookProc(int code, WPARAM wParam, LPARAM lParam) {
  if (ReportShellEvent(code, lParam) && code == HSHELL_APPCOMMAND) return 1;
  return CallNextHookEx(/*hhk=*/nullptr, code, wParam, lParam);
}

}  // namespace tavion::sidekit
