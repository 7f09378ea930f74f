#include "exec/key_replace_win.h"

#include "base/window_requests_win.h"
#include "actions/action.h"
#include "actions/params.h"

namespace tavion {
namespace {

// A foreground program that does not answer must not hold the main thread for long.
constexpr UINT kLanguageRequestTimeoutMs = 2000;

}  // namespace

uintptr_t WinKeyboardLanguageSystem::ForegroundWindow() {
  return reinterpret_cast<uintptr_t>(GetForegroundWindow());
}

uint32_t WinKeyboardLanguageSystem::LayoutOf(uintptr_t window) {
  const DWORD thread = GetWindowThreadProcessId(reinterpret_cast<HWND>(window), nullptr);
  // Layout handles are 32-bit values, sign-extended on 64-bit Windows.
  return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(GetKeyboardLayout(thread)));
}

bool WinKeyboardLanguageSystem::RequestLanguage(uintptr_t window, uint32_t layout) {
  return RequestKeyboardLayout(reinterpret_cast<HWND>(window), layout, kLanguageRequestTimeoutMs);
}

void WinKeyboardLanguageSystem::Sleep(uint32_t ms) {
  ::Sleep(ms);
}

void RunKeyReplace(ExecContext& context, const KeySender& send) {
  const TActionParamsRKey* params =
      context.action != nullptr ? context.action->ParamsAs<TActionParamsRKey>() : nullptr;
  if (params == nullptr) return;
  WinKeyboardLanguageSystem system;
  ReplaceKey(params->Key.HKey(), params->Lang, system, send);
}

}  // namespace tavion
