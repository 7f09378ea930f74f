#include "action_windows.h"

#include "base/window_requests_win.h"
#include "exec/dispatcher.h"
#include "exec/window_actions.h"
#include "settings/settings.h"

namespace windows_test {
namespace {

bool IsRecorded(UINT message) {
  return message >= WM_APP || message == WM_VSCROLL || message == WM_HSCROLL ||
         message == WM_SYSCOMMAND || message == WM_INPUTLANGCHANGEREQUEST;
}

}  // namespace

TestWindow::TestWindow(const WindowDesign& design) {
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = Procedure;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.lpszClassName = design.className;
  RegisterClassW(&windowClass);  // fails harmlessly when already registered
  hwnd_ = CreateWindowExW(design.exStyle, design.className, design.caption, design.style, design.x,
                          design.y, design.width, design.height, design.parent, nullptr,
                          GetModuleHandleW(nullptr), this);
  if (hwnd_ != nullptr) UpdateWindow(hwnd_);
}

TestWindow::~TestWindow() {
  if (hwnd_ != nullptr && IsWindow(hwnd_)) DestroyWindow(hwnd_);
}

std::vector<Message> TestWindow::Of(UINT message) const {
  std::vector<Message> found;
  for (const Message& m : messages) {
    if (m.message == message) found.push_back(m);
  }
  return found;
}

LRESULT CALLBACK TestWindow::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<TestWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self != nullptr && IsRecorded(message)) {
    self->messages.push_back({message, wParam, lParam});
    if (message >= WM_APP) return 0;
  }
  if (message == WM_NCDESTROY && self != nullptr) self->hwnd_ = nullptr;
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

bool MakeForeground(HWND window) {
  SetForegroundWindow(window);
  return exec_test::PumpUntil([window] { return GetForegroundWindow() == window; }, 2000);
}

// Sidekit32.dll's ForceForegroundWindow, noting the window.
BOOL WINAPI WindowActionsTest::RaiseAndNote(HWND window) {
  static const auto force = tavion::ResolveFunction<ForceForegroundWindowFn>(
      LoadLibraryW(L"Sidekit32.dll"), "ForceForegroundWindow");
  raised = window;
  return force != nullptr ? force(window) : FALSE;
}

void WindowActionsTest::SetUp() {
  tavion::ResetSettings();
  tavion::ClearExecutors();
  tavion::TransparentWindows().Clear();
  tavion::WindowServices services;
  services.sendKeys = [this](uint8_t modifiers, uint16_t keyOrMode, uint16_t scanCode,
                             uint16_t keyFlags, uintptr_t window, bool restore, uint16_t delayMs,
                             const char* ansiText, const wchar_t* wideText) {
    sent.push_back({modifiers, keyOrMode, scanCode, keyFlags, window, restore, delayMs,
                    ansiText != nullptr || wideText != nullptr});
    return true;
  };
  services.focusedWindow = [this] { return focused; };
  services.forceForeground = RaiseAndNote;
  raised = nullptr;
  tavion::RegisterWindowExecutors(services);
  tavion::MainWindowServices mainServices;
  mainServices.actionByIndex = [this](int index) {
    return actions.At(static_cast<std::size_t>(index));
  };
  host = std::make_unique<tavion::WinExecHost>(mainWindow.hwnd(), std::move(mainServices));
  tavion::SetExecHost(host.get());
}

void WindowActionsTest::TearDown() {
  tavion::SetExecHost(nullptr);
  tavion::ClearExecutors();
  tavion::TransparentWindows().Clear();
  tavion::ResetSettings();
}

void WindowActionsTest::Run(const char* code) {
  actions.Add().SetExec(code);
  RunIndex(static_cast<int>(actions.Count() - 1));
}

void WindowActionsTest::RunIndex(int index) {
  tavion::ExecuteAction(actions.At(static_cast<std::size_t>(index))->Exec(), index,
                        /*mayUseThread=*/false);
}

}  // namespace windows_test
