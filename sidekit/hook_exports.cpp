// InitHookEx and FreeHookEx: one lock serialises installing and removing across the hook kinds.
#include "global_hooks.h"
#include "low_level_hooks.h"
#include "keys/hook_messages.h"
#include "sidekit.h"

namespace {

using tavion::HookKind;
namespace sk = tavion::sidekit;

// Recursive: a message handled while a call waits for the hook thread may call in again.
class HookLock {
 public:
  HookLock() { InitializeCriticalSection(&section_); }
  ~HookLock() { DeleteCriticalSection(&section_); }
  HookLock(const HookLock&) = delete;
  HookLock& operator=(const HookLock&) = delete;
  void Enter() { EnterCriticalSection(&section_); }
  void Leave() { LeaveCriticalSection(&section_); }

 private:
  CRITICAL_SECTION section_;
};

HookLock g_hookLock;

class HookLockGuard {
 public:
  HookLockGuard() { g_hookLock.Enter(); }
  ~HookLockGuard() { g_hookLock.Leave(); }
  HookLockGuard(const HookLockGuard&) = delete;
  HookLockGuard& operator=(const HookLockGuard&) = delete;
};

}  // namespace

SIDEKIT_API BOOL WINAPI InitHookEx(void* /*scratch*/, int kind, HWND window, UINT message) {
  if (!IsWindow(window)) return FALSE;
  HookLockGuard guard;
  if (kind == static_cast<int>(HookKind::kMenu)) return sk::InitMenuHook(window, message);
  if (kind == static_cast<int>(HookKind::kShell)) {
    return sk::InitShellHook(window, message);
  }
  return sk::InitLowLevelHook(kind, window, message);
}

SIDEKIT_API BOOL WINAPI InitHookCall(int kind, SidekitHookProc proc, void* context) {
  HookLockGuard guard;
  return sk::InitLowLevelCall(kind, proc, context);
}

SIDEKIT_API BOOL WINAPI FreeHookEx(int kind) {
  HookLockGuard guard;
  if (kind == static_cast<int>(HookKind::kMenu)) return sk::FreeMenuHook();
  if (kind == static_cast<int>(HookKind::kShell)) return sk::FreeShellHook();
  return sk::FreeLowLevelHook(kind);
}
