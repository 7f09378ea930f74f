#include "pipeline/hook_dispatch_win.h"

#include <vector>

#include "keys/key_input_win.h"
#include "settings/settings.h"

namespace tavion {

HookDispatch::HookDispatch(HWND mainWindow, ForceForegroundWindowFn forceForeground,
                           std::wstring resourceFolder, HookWatch* watch)
    : watch_(watch),
      host_(mainWindow, forceForeground, std::move(resourceFolder)),
      dispatcher_(host_) {
  InitializeCriticalSection(&lock_);
}

template <typename Handle>
LRESULT HookDispatch::Locked(bool windowThread, Handle handle) {
  EnterCriticalSection(&lock_);
  const bool deferring = windowThread && !host_.SetDeferKeys(true);
  const LRESULT result = handle();
  std::vector<KeyInput> keys;
  if (deferring) {
    host_.SetDeferKeys(false);
    keys = host_.TakeDeferredKeys();
  }
  LeaveCriticalSection(&lock_);
  if (!keys.empty()) SendKeyInputs(keys);
  return result;
}

LRESULT WINAPI HookDispatch::KeyCall(void* self, WPARAM wParam, LPARAM lParam) {
  auto* dispatch = static_cast<HookDispatch*>(self);
  // Before the lock: the probe proves the hook alive even while a handler call waits.
  const auto* record = reinterpret_cast<const KeyEventRecord*>(lParam);
  if (dispatch->watch_ && record && dispatch->watch_->OnKeyboardEvent(*record))
    return kSwallowEvent;
  return dispatch->Locked(false,
                          [&] { return dispatch->dispatcher_.HandleKeyMessage(wParam, lParam); });
}

LRESULT WINAPI HookDispatch::MouseCall(void* self, WPARAM wParam, LPARAM lParam) {
  auto* dispatch = static_cast<HookDispatch*>(self);
  return dispatch->Locked(false,
                          [&] { return dispatch->dispatcher_.HandleMouseMessage(wParam, lParam); });
}

LRESULT HookDispatch::OnKeyMessage(WPARAM wParam, LPARAM lParam) {
  return Locked(true, [&] { return dispatcher_.HandleKeyMessage(wParam, lParam); });
}

LRESULT HookDispatch::OnMouseMessage(WPARAM wParam, LPARAM lParam) {
  return Locked(true, [&] { return dispatcher_.HandleMouseMessage(wParam, lParam); });
}

void HookDispatch::ResyncKeys() {
  Locked(true, [&] {
    dispatcher_.ResyncKeys();
    return LRESULT{0};
  });
}

std::string HookDispatch::LastKeyText() {
  std::string text;
  Locked(true, [&] {
    text = Settings().LastKeyText;
    return LRESULT{0};
  });
  return text;
}

}  // namespace tavion
