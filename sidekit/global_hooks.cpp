#include "global_hooks.h"

#include "hook_targets.h"
#include "menu_hook.h"
#include "shell_hook.h"

namespace tavion::sidekit {

namespace {

HHOOK g_menuGetMessage = nullptr;
HHOOK g_menuCallWndProc = nullptr;
HHOOK g_shell = nullptr;

HHOOK InstallGlobal(int hookType, HOOKPROC procedure) {
  // The system loads this module into the other processes, so hMod is the library itself.
  HMODULE module = nullptr;
  if (!GetModuleHandleExW(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
          reinterpret_cast<LPCWSTR>(procedure), &module)) {
    return nullptr;
  }
  return SetWindowsHookExW(hookType, procedure, module, /*dwThreadId=*/0);
}

bool Unhook(HHOOK& hook) {
  if (hook && !UnhookWindowsHookEx(hook)) return false;
  hook = nullptr;
  return true;
}

}  // namespace

bool InitMenuHook(HWND receiver, UINT message) {
  SharedTargets* shared = SharedHookTargets();
  if (!shared) return false;
  shared->menu.Set({receiver, message});
  if (g_menuGetMessage && g_menuCallWndProc) return true;
  if (!g_menuGetMessage) g_menuGetMessage = InstallGlobal(WH_GETMESSAGE, &MenuGetMessageProc);
  if (!g_menuCallWndProc) g_menuCallWndProc = InstallGlobal(WH_CALLWNDPROC, &MenuCallWndProc);
  if (g_menuGetMessage && g_menuCallWndProc) return true;
  // Half a menu hook would report only some commands.
  Unhook(g_menuGetMessage);
  Unhook(g_menuCallWndProc);
  shared->menu.Clear();
  return false;
}

bool FreeMenuHook() {
  // The shared receiver may be another process's when this one installed nothing.
  if (!g_menuGetMessage && !g_menuCallWndProc) return true;
  if (SharedTargets* shared = SharedHookTargets()) shared->menu.Clear();
  const bool getMessageGone = Unhook(g_menuGetMessage);
  return Unhook(g_menuCallWndProc) && getMessageGone;
}

bool InitShellHook(HWND receiver, UINT message) {
  SharedTargets* shared = SharedHookTargets();
  if (!shared) return false;
  shared->shell.Set({receiver, message});
  if (!g_shell) g_shell = InstallGlobal(WH_SHELL, &ShellHookProc);
  if (g_shell) return true;
  shared->shell.Clear();
  return false;
}

bool FreeShellHook() {
  if (!g_shell) return true;
  if (SharedTargets* shared = SharedHookTargets()) shared->shell.Clear();
  return Unhook(g_shell);
}

void RemoveGlobalHooksOnUnload() {
  // Only the hooks this process installed; in the other processes the handles are null.
  FreeMenuHook();
  FreeShellHook();
  ReleaseSharedTargets();
}

}  // namespace tavion::sidekit
