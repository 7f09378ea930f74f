#include "base/window_requests_win.h"

namespace tavion {

bool RequestKeyboardLayout(HWND window, uint32_t layout, UINT timeoutMs) {
  if (window == nullptr) return false;
  // A layout handle is a 32-bit value, sign-extended on 64-bit Windows.
  const auto hkl = static_cast<LPARAM>(static_cast<int32_t>(layout));
  DWORD_PTR ignored = 0;
  return SendMessageTimeoutW(window, WM_INPUTLANGCHANGEREQUEST, 1, hkl, SMTO_ABORTIFHUNG, timeoutMs,
                             &ignored) != 0;
}

}  // namespace tavion
