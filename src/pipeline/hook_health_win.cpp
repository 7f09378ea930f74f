#include "pipeline/hook_health_win.h"

#include "exec/main_messages.h"
#include "keys/hook_messages.h"
#include "keys/key_input_win.h"

namespace tavion {

namespace {

constexpr wchar_t kWindowClass[] = L"TavionHookHealth";
constexpr UINT_PTR kTimerId = 1;

// Whether input goes to this program's desktop: not while the session is locked or a secure
// prompt is up, whose keys never pass our hook, probe or not.
bool InputReachesOurDesktop() {
  const UniqueHandle<NullHandleTraits<HDESK, &CloseDesktop>> input(
      OpenInputDesktop(0, /*fInherit=*/FALSE, DESKTOP_SWITCHDESKTOP));
  return static_cast<bool>(input);
}

}  // namespace

HookHealthMonitor::HookHealthMonitor() : watch_(&HookHealthMonitor::Wake, this) {}

bool HookHealthMonitor::Wake(void* context) {
  const HWND target = static_cast<HookHealthMonitor*>(context)->wakeTarget_.load();
  // Stopped: nobody to wake, and no need to ask again.
  return !target || PostMessageW(target, WM_TV_HOOK_ACTIVE, 0, 0);
}

bool HookHealthMonitor::Start(Actions actions, HookHealthTimes times) {
  Stop();
  const HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = &HookHealthMonitor::Procedure;
  wc.hInstance = instance;
  wc.lpszClassName = kWindowClass;
  if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
  window_.reset(CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                /*hMenu=*/nullptr, instance, this));
  if (!window_) return false;
  actions_ = std::move(actions);
  health_ = HookHealth(times);
  wakeTarget_ = window_.get();
  OnActivity();
  return true;
}

void HookHealthMonitor::Stop() {
  wakeTarget_ = nullptr;
  watch_.SetCheckRunning(true);  // nothing to wake from now on
  window_.reset();               // its timer goes with it
  health_ = HookHealth();
}

bool HookHealthMonitor::OnKeyMessage(LPARAM lParam) {
  if (lParam == 0 || lParam == kHidKeyEventMarker) return false;
  return watch_.OnKeyboardEvent(*reinterpret_cast<const KeyEventRecord*>(lParam));
}

void HookHealthMonitor::OnActivity() {
  if (!window_) return;
  Apply(health_.OnActivity(View()));
}

HookHealthView HookHealthMonitor::View() const {
  LASTINPUTINFO input{};
  input.cbSize = sizeof input;
  // Without an answer the last input stays at 0: the check then stops at once, as for an idle
  // user, rather than probe on a guess.
  GetLastInputInfo(&input);
  return {.now = GetTickCount(),
          .lastInput = input.dwTime,
          .hookEvents = watch_.EventsSeen(),
          .probeSeen = watch_.ProbeSeen()};
}

void HookHealthMonitor::Apply(const HookHealthStep& step) {
  if (step.reinstall) {
    const bool reinstalled = actions_.reinstall && actions_.reinstall();
    if (step.notice && actions_.notify) actions_.notify(reinstalled);
    if (!window_) return;  // stopped by what the notice set off
  }
  if (step.probe) {
    watch_.ExpectProbe();
    if (!InputReachesOurDesktop() ||
        !SendKeyInput(static_cast<uint16_t>(kHookProbeKey), 0, kInputKeyUp))
      health_.ProbeFailed();
  }
  if (step.timerMs) SetTimer(window_.get(), kTimerId, step.timerMs, nullptr);
  watch_.SetCheckRunning(health_.Running());
}

LRESULT CALLBACK HookHealthMonitor::Procedure(HWND hwnd, UINT message, WPARAM wParam,
                                              LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<HookHealthMonitor*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self && message == WM_TV_HOOK_ACTIVE) {
    self->OnActivity();
    return 0;
  }
  if (self && message == WM_TIMER && wParam == kTimerId) {
    KillTimer(hwnd, kTimerId);
    self->Apply(self->health_.OnTimer(self->View()));
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace tavion
