#include "low_level_hooks.h"

#include <atomic>
#include <iterator>
#include <memory>

#include "event_delivery.h"
#include "hook_targets.h"
#include "hook_thread.h"
#include "keys/hook_messages.h"

namespace tavion::sidekit {

namespace {

// A receiver called on the hook thread (InitHookCall).
struct HookCall {
  SidekitHookProc proc;
  void* context;
};

struct LowLevelHook {
  int kind;
  int hookType;  // WH_KEYBOARD_LL or WH_MOUSE_LL
  HOOKPROC procedure;
  TargetSlot target;
  // Read by the hook procedure; replaced only under the hook lock, and freed once the hook thread
  // has run a task after the replacement (no call can be under way then).
  std::atomic<HookCall*> call{nullptr};
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
    if (const HookCall* call = g_hooks[Index].call.load(std::memory_order_acquire)) {
      // The receiver answers before this returns, so the record can live here.
      auto event = ToRecord(*reinterpret_cast<const SystemEvent*>(lParam));
      if (call->proc(call->context, wParam, reinterpret_cast<LPARAM>(&event)) == kSwallowEvent)
        return 1;
      return CallNextHookEx(/*hhk=*/nullptr, code, wParam, lParam);
    }
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
  // A handle the system no longer knows (it dropped the hook after too many time-outs) fails
  // here; either way the hook is gone, and the next install puts a new one in place.
  if (hook->handle) UnhookWindowsHookEx(hook->handle);
  hook->handle = nullptr;
  return true;
}

bool NoTask(void*) {
  return true;
}

// Puts `call` (or none) in place of the hook's call and frees the one it replaces once no event
// can still be using it.
void ReplaceCall(LowLevelHook& hook, HookCall* call) {
  std::unique_ptr<HookCall> old(hook.call.exchange(call, std::memory_order_acq_rel));
  // An event under way finishes before the hook thread runs a task; without a thread no hook
  // runs at all.
  if (old && hook.wanted && !RunOnHookThread(&NoTask, nullptr)) old.release();  // rather leak
}

// Sets the hook's receiver and installs the hook when it is not in place.
bool Install(LowLevelHook& hook) {
  if (hook.wanted) return true;
  hook.wanted = true;
  if (RunOnHookThread(&InstallTask, &hook)) return true;
  hook.wanted = false;
  hook.target.Clear();
  ReplaceCall(hook, nullptr);
  if (!AnyHookWanted()) ReleaseHookThread();
  return false;
}

}  // namespace

bool InitLowLevelCall(int kind, SidekitHookProc proc, void* context) {
  LowLevelHook* hook = FindHook(kind);
  if (!hook || !proc) return false;
  hook->target.Clear();
  ReplaceCall(*hook, new HookCall{proc, context});
  return Install(*hook);
}

bool InitLowLevelHook(int kind, HWND receiver, UINT message) {
  LowLevelHook* hook = FindHook(kind);
  if (!hook) return false;
  DWORD receiverProcess = 0;
  GetWindowThreadProcessId(receiver, &receiverProcess);
  if (receiverProcess != GetCurrentProcessId()) return false;

  hook->target.Set({receiver, message});
  ReplaceCall(*hook, nullptr);
  return Install(*hook);
}

bool FreeLowLevelHook(int kind) {
  LowLevelHook* hook = FindHook(kind);
  if (!hook) return false;
  if (!hook->wanted) return true;
  // Cleared first: an event already under way passes instead of reaching a receiver that
  // asked to be left alone. Not wanted from here on, so that an install asked for while this
  // call waits queues up behind the removal instead of being swallowed by it.
  hook->target.Clear();
  std::unique_ptr<HookCall> call(hook->call.exchange(nullptr, std::memory_order_acq_rel));
  hook->wanted = false;
  // Once the removal ran on the hook thread, no event is under way with the call.
  const bool removed = RunOnHookThread(&RemoveTask, hook);
  if (!removed) {
    hook->wanted = true;  // still in place
    call.release();       // an event may still be using it: rather leak
  }
  if (!AnyHookWanted()) ReleaseHookThread();
  return removed;
}

}  // namespace tavion::sidekit
