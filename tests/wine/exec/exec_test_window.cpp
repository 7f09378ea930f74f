#include "exec_test_window.h"

#include <algorithm>

#include "exec/main_messages.h"

namespace exec_test {
namespace {

constexpr wchar_t kClassName[] = L"TavionExecTestWindow";

bool IsRecordedMessage(UINT message) {
  return message == tavion::WM_TV_NOTIFY || message == tavion::WM_TV_CLOSE ||
         message == tavion::WM_TV_STATUS || message == tavion::WM_TV_PROGRAM_COMMAND ||
         message == WM_INPUTLANGCHANGEREQUEST;
}

}  // namespace

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  while (!done()) {
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline) return done();
    MsgWaitForMultipleObjects(0, nullptr, FALSE,
                              static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, 20)),
                              QS_ALLINPUT);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  return true;
}

RecordingWindow::RecordingWindow(bool visible, int x, int y, int width, int height) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = Procedure;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = kClassName;
  RegisterClassW(&windowClass);  // fails harmlessly when already registered
  hwnd_ = CreateWindowExW(0, kClassName, L"Exec test", WS_OVERLAPPEDWINDOW, x, y, width, height,
                          nullptr, nullptr, GetModuleHandleW(nullptr), this);
  if (visible && hwnd_ != nullptr) {
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    UpdateWindow(hwnd_);
  }
}

RecordingWindow::~RecordingWindow() {
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
}

std::vector<Recorded> RecordingWindow::Of(UINT message) const {
  std::vector<Recorded> found;
  for (const Recorded& recorded : messages) {
    if (recorded.message == message) found.push_back(recorded);
  }
  return found;
}

LRESULT CALLBACK RecordingWindow::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<RecordingWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self != nullptr && IsRecordedMessage(message)) {
    Recorded recorded;
    recorded.message = message;
    recorded.wParam = wParam;
    recorded.lParam = lParam;
    if (message == tavion::WM_TV_NOTIFY && wParam != 0 && wParam != tavion::kNotifyLockState) {
      const auto* notice = reinterpret_cast<const tavion::NotifyNotice*>(wParam);
      recorded.code = notice->code;
      recorded.result = notice->result;
    }
    recorded.fromOtherThread = (InSendMessageEx(nullptr) & ISMEX_SEND) != 0;
    self->messages.push_back(recorded);
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace exec_test
