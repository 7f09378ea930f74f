#pragma once
// Small requests to windows and modules that several parts of the program make.
#include <windows.h>

#include <cstdint>

namespace tavion {

// Asks `window` to switch its keyboard layout to `layout` (WM_INPUTLANGCHANGEREQUEST, wParam 1)
// and waits at most `timeoutMs`, so that a hung program cannot hold the caller. Returns whether
// the window took the request; false for a null window.
bool RequestKeyboardLayout(HWND window, uint32_t layout, UINT timeoutMs);

// The function `name` of `module` as the type `Fn`; null when the module or the function is
// missing.
template <typename Fn>
Fn ResolveFunction(HMODULE module, const char* name) {
  if (module == nullptr) return nullptr;
  // GetProcAddress returns FARPROC; the cast to the real signature is what GetProcAddress is for.
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace tavion
