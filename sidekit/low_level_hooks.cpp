#include "low_level_hooks.h"

#include <atomic>
#include <iterator>

#include "event_delivery.h"
#include "hook_targets.h"
#include "hook_thread.h"
#include "keys/hook_messages.h"

namespace tavion::sidekit {

namespace {

struct LowLevelHook {
  int kind;
  int hookType;  // WH_KEYBOARD_LL or WH_MOUSE_LL
  HOOKPROC procedure;
  TargetSlot target;
  HHOOK handle = nullptr;  // written on the hook thread, while the caller waits for it
  bool wanted = false;     // installed or being installed; decides when the thread may end
};

KeyEventRecord ToKeyEventRecord(const KBDLLHOOKSTRUCT& event) {
  KeyEventRecord record;
  record.vkCode = event.vkCode;
  record.scanCode = event.scanCode;
  record.flags = event.flags;
  record.time = event.time;
  record.extraInfo = static_cast<uint32_t>(event.dwExtraInfo);
  return record;
}

MouseEventRecord ToMouseEventRecord(const MSLLHOOKSTRUCT& event) {
  MouseEventRecord record;
  record.x = event.pt.x;
  record.y = event.pt.y;
  record.mouseData = event.mouseData;
  record.flags = event.flags;
  record.time = event.time;
  record.extraInfo = static_cast<uint32_t>(event.dwExtraInfo);
  return record;
}

constexpr bool EveryKeyMessage(WPARAM) {
  return true;
}

constexpr bool HotKeyMouseMessage(WPARAM message) {
  return IsDeliveredMouseMessage(static_cast<uint32_t>(message));
}

// Where the record of an event lives while its receiver reads it. A receiver that answers too
// late, or whose handler outlasts the bound, reads it after the hook has returned, so it cannot
// live on the hook's stack: each event takes the next slot of a ring, which is written again only
// kRecordSlots events later.
template <typename Record>
Record* NextRecordSlot() {
  static Record slots[kRecordSlots];
  static std::atomic<uint32_t> next{0};
  return &slots[next.fetch_add(1, std::memory_order_relaxed) % kRecordSlots];
}

// One procedure per hook, as the system passes a hook procedure no context of its own. Messages
// that no receiver wants pass on here, without a round trip to the receiver's thread.
template <size_t Index, typename SystemEvent, auto ToRecord, auto Delivered>
LRESULT CALLBACK LowLevelProc(int code, WPARAM wParam, LPARAM lParam);

constexpr auto KeyboardProc =
    &LowLevelProc<0, KBDLLHOOKSTRUCT, &ToKeyEventRecord, &EveryKeyMessage>;
constexpr auto CaptureKeyboardProc =
    &LowLevelProc<1, KBDLLHOOKSTRUCT, &ToKeyEventRecord, &EveryKeyMessage>;
constexpr auto MouseProc =
    &LowLevelProc<2, MSLLHOOKSTRUCT, &ToMouseEventRecord, &HotKeyMouseMessage>;
constexpr auto CaptureMouseProc =
    &LowLevelProc<3, MSLLHOOKSTRUCT, &ToMouseEventRecord, &HotKeyMouseMessage>;

LowLevelHook g_hooks[] = {
    {static_cast<int>(HookKind::kKeyboard), WH_KEYBOARD_LL, KeyboardProc, {}},
    {static_cast<int>(HookKind::kCaptureKeyboard), WH_KEYBOARD_LL, CaptureKeyboardProc, {}},
    {static_cast<int>(HookKind::kMouse), WH_MOUSE_LL, MouseProc, {}},
    {static_cast<int>(HookKind::kCaptureMouse), WH_MOUSE_LL, CaptureMouseProc, {}},
};

template <size_t Index, typename SystemEvent, auto ToRecord, auto Delivered>
LRESULT CALLBACK LowLevelProc(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HC_ACTION && Delivered(wParam)) {
    const HookTarget target = g_hooks[Index].target.Get();
    if (target.window) {
      auto event = ToRecord(*reinterpret_cast<const SystemEvent*>(lParam));
      auto* record = NextRecordSlot<decltype(event)>();
      *record = event;
      if (DeliverToTarget(target, wParam, reinterpret_cast<LPARAM>(record))) return 1;
    }
  }
  return CallNextHookEx(/*hhk=*/nullptr, code, wParam, lParam);
}

LowLevelHook* FindHook(int kind) {
  for (LowLevelHook& hook : g_hooks) {
    if (hook.kind == kind) return &hook;
  }
  return nullptr;
}

bool AnyHookWanted() {
  for (const LowLevelHook& hook : g_hooks) {
    if (hook.wanted) return true;
  }
  return false;
}

HMODULE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&FindHook), &module);
  return module;
}

// Tasks run on the hook thread: a low-level hook calls back on the thread that installed it.
bool InstallTask(void* context) {
  auto* hook = static_cast<LowLevelHook*>(context);
  if (!hook->handle) {
    hook->handle = SetWindowsHookExW(hook->hookType, hook->procedure, ThisModule(), 0);
  }
  return hook->handle != nullptr;
}

bool RemoveTask(void* context) {
  auto* hook = static_cast<LowLevelHook*>(context);
  if (hook->handle && !UnhookWindowsHookEx(hook->handle)) return false;
  hook->handle = nullptr;
  return true;
}

}  // namespace

bool InitLowLevelHook(int kind, HWND receiver, UINT message) {
  LowLevelHook* hook = FindHook(kind);
  if (!hook) return false;
  DWORD receiverProcess = 0;
  GetWindowThreadProcessId(receiver, &receiverProcess);
  if (receiverProcess != GetCurrentProcessId()) return false;

  hook->target.Set({receiver, message});
  if (hook->wanted) return true;
  hook->wanted = true;
  if (RunOnHookThread(&InstallTask, hook)) return true;
  hook->wanted = false;
  hook->target.Clear();
  if (!AnyHookWanted()) ReleaseHookThread();
  return false;
}

bool FreeLowLevelHook(int kind) {
  LowLevelHook* hook = FindHook(kind);
  if (!hook) return false;
  if (!hook->wanted) return true;
  // Cleared first: an event already under way passes instead of reaching a receiver that
  // asked to be left alone. Not wanted from here on, so that an install asked for while this
  // call waits queues up behind the removal instead of being swallowed by it.
  hook->target.Clear();
  hook->wanted = false;
  const bool removed = RunOnHookThread(&RemoveTask, hook);
  if (!removed) hook->wanted = true;  // still in place
  if (!AnyHookWanted()) ReleaseHookThread();
  return removed;
}

}  // namespace tavion::sidekit
