#include "exec/input_form_win.h"

#include <algorithm>
#include <atomic>
#include <vector>

#include "base/message_wait_win.h"
#include "base/open_file_win.h"
#include "base/utf_win.h"
#include "forms/control_text_win.h"
#include "forms/form_win.h"
#include "lang/lang.h"
#include "settings/settings.h"

namespace tavion {
namespace {

// The input lock: held for the whole of one dialog. A flag rather than a critical section, so
// that a second "srun" on the dialog's own thread (from its message loop) sees it held.
std::atomic<bool> inputLockHeld{false};

class InputLock {
 public:
  // Waits, processing messages, until the lock is free; false when the program ends first.
  bool Acquire(const std::function<bool()>& terminating) {
    bool expected = false;
    while (!inputLockHeld.compare_exchange_weak(expected, true)) {
      expected = false;
      if (terminating && terminating()) return false;
      if (!WaitProcessingMessages(10)) return false;
    }
    held_ = true;
    return true;
  }
  ~InputLock() {
    if (held_) inputLockHeld = false;
  }

 private:
  bool held_ = false;
};

constexpr int kClientWidth = 283;
constexpr int kClientHeight = 100;
constexpr int kFirstControlId = 100;

std::vector<ControlDecl> InputFormControls() {
  const auto button = [](const char* name, std::string caption, ControlPlace place) {
    ControlDecl decl;
    decl.name = name;
    decl.kind = ControlKind::kButton;
    decl.caption = std::move(caption);
    decl.place = place;
    return decl;
  };
  ControlDecl edit;
  edit.name = "e_input";
  edit.kind = ControlKind::kEdit;
  edit.place = {8, 8, 231, 21};
  // The OK/Cancel pair is centred across the client below the edit.
  constexpr int kButtonWidth = 75, kGap = 8;
  constexpr int kPairLeft = (kClientWidth - 2 * kButtonWidth - kGap) / 2;
  return {edit, button("b_file", "...", {246, 8, 24, 21}),
          button("b_ok", GetLangStr("ButtonOK", "OK"), {kPairLeft, 60, kButtonWidth, 25}),
          button("b_cancel", GetLangStr("ButtonCancel", "Cancel"),
                 {kPairLeft + kButtonWidth + kGap, 60, kButtonWidth, 25})};
}

BOOL CALLBACK FindInputFormProc(HWND window, LPARAM found) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  wchar_t className[32] = {};
  GetClassNameW(window, className, 32);
  if (process == GetCurrentProcessId() && lstrcmpW(className, kInputFormClass) == 0) {
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  return TRUE;
}

void BringToFront(HWND window, const InputFormOptions& options) {
  if (options.forceForeground != nullptr) {
    options.forceForeground(window);
  } else {
    SetForegroundWindow(window);
  }
}

class TInputForm {
 public:
  explicit TInputForm(const InputFormOptions& options) : options_(options) {}
  ~TInputForm() {
    if (hwnd_ != nullptr) DestroyWindow(hwnd_);
  }
  TInputForm(const TInputForm&) = delete;
  TInputForm& operator=(const TInputForm&) = delete;

  bool Create(const std::wstring& caption);
  // Shows the form in front and runs the messages until it has a result.
  std::optional<std::string> ShowModal();
  HWND hwnd() const { return hwnd_; }

 private:
  enum class Result { kNone, kOk, kCancel };

  static bool RegisterWindowClass();
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
  void OnCommand(int id);
  void ChooseFile();
  // Places the controls for the width their texts and the title need; returns the client size.
  SIZE LayOut(int dpi);
  int IdOf(const char* name) const { return GetDlgCtrlID(controls_.Handle(name)); }

  const InputFormOptions& options_;
  HWND hwnd_ = nullptr;
  Win32Form controls_;
  Result result_ = Result::kNone;
};

bool TInputForm::RegisterWindowClass() {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = &TInputForm::WindowProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kInputFormClass;
  return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool TInputForm::Create(const std::wstring& caption) {
  if (!RegisterWindowClass()) return false;
  constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT | WS_EX_APPWINDOW;
  hwnd_ = CreateWindowExW(kExStyle, kInputFormClass, caption.c_str(), kStyle, 0, 0, kClientWidth,
                          kClientHeight, /*hWndParent=*/nullptr, /*hMenu=*/nullptr,
                          GetModuleHandleW(nullptr), this);
  if (hwnd_ == nullptr) return false;
  const int dpi = WindowDpi(hwnd_);
  if (!controls_.Create(hwnd_, InputFormControls(), kFirstControlId)) return false;
  const SIZE client = LayOut(dpi);
  RECT frame = {0, 0, client.cx, client.cy};
  AdjustWindowRectEx(&frame, kStyle, /*bMenu=*/FALSE, kExStyle);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  SettingsRecord& settings = Settings();
  if (settings.FormInput_Left == -1)
    settings.FormInput_Left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
  if (settings.FormInput_Top == -1)
    settings.FormInput_Top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
  SetWindowPos(hwnd_, nullptr, settings.FormInput_Left, settings.FormInput_Top, width, height,
               SWP_NOZORDER | SWP_NOACTIVATE);
  SendMessageW(controls_.Handle("b_ok"), BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
  if (options_.icon != nullptr) {
    SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(options_.icon));
    SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(options_.icon));
  }
  return true;
}

SIZE TInputForm::LayOut(int dpi) {
  const auto scale = [dpi](int v) { return MulDiv(v, dpi, 96); };
  // As declared, the edit and its browse button fill the top row and the OK/Cancel pair is
  // centred below; a longer caption widens the buttons, and both widen the form.
  constexpr int kMargin = 8, kButtonGap = 8, kFileGap = 7, kFileWidth = 24, kFileRight = 13;
  const int button = std::max(ButtonWidth(controls_.Handle("b_ok"), dpi),
                              ButtonWidth(controls_.Handle("b_cancel"), dpi));
  const int width = std::max(
      {scale(kClientWidth), 2 * button + scale(kButtonGap + 2 * kMargin), TitleClientWidth(hwnd_)});
  const int fileLeft = width - scale(kFileRight + kFileWidth);
  const int rowHeight = scale(21), buttonHeight = scale(25);
  MoveWindow(controls_.Handle("e_input"), scale(kMargin), scale(kMargin),
             fileLeft - scale(kFileGap + kMargin), rowHeight, TRUE);
  MoveWindow(controls_.Handle("b_file"), fileLeft, scale(kMargin), scale(kFileWidth), rowHeight,
             TRUE);
  const int pairLeft = (width - 2 * button - scale(kButtonGap)) / 2;
  MoveWindow(controls_.Handle("b_ok"), pairLeft, scale(60), button, buttonHeight, TRUE);
  MoveWindow(controls_.Handle("b_cancel"), pairLeft + button + scale(kButtonGap), scale(60), button,
             buttonHeight, TRUE);
  return {width, scale(kClientHeight)};
}

std::optional<std::string> TInputForm::ShowModal() {
  ShowWindow(hwnd_, SW_SHOW);
  BringToFront(hwnd_, options_);
  SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetFocus(controls_.Handle("e_input"));
  while (result_ == Result::kNone) {
    MSG msg;
    while (result_ == Result::kNone && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        // The program is ending: the dialog is cancelled and the loop above sees the quit.
        PostQuitMessage(static_cast<int>(msg.wParam));
        result_ = Result::kCancel;
        break;
      }
      if (!IsDialogMessageW(hwnd_, &msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
    }
    if (result_ != Result::kNone) break;
    if (options_.terminating && options_.terminating()) {
      result_ = Result::kCancel;
      break;
    }
    // A dialog on a worker thread never sees the main thread's quit; look at the flag often.
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
  }
  RECT place = {};
  if (GetWindowRect(hwnd_, &place)) {
    Settings().FormInput_Left = place.left;
    Settings().FormInput_Top = place.top;
  }
  if (result_ != Result::kOk) return std::nullopt;
  return controls_.Text(*controls_.Find("e_input"));
}

LRESULT CALLBACK TInputForm::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* form = reinterpret_cast<TInputForm*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (form == nullptr || form->hwnd_ == nullptr)
    return DefWindowProcW(hwnd, message, wParam, lParam);
  return form->Handle(message, wParam, lParam);
}

LRESULT TInputForm::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wParam));
      return 0;
    case WM_CLOSE:
      result_ = Result::kCancel;
      return 0;
    case DM_GETDEFID:
      // Enter in the edit presses OK (IsDialogMessage asks for the default button).
      return MAKELRESULT(IdOf("b_ok"), DC_HASDEFID);
    case WM_NCDESTROY:
      SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
      break;
    default:
      break;
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

void TInputForm::OnCommand(int id) {
  if (id == IdOf("b_ok")) {
    result_ = Result::kOk;
  } else if (id == IdOf("b_cancel") || id == IDCANCEL) {
    result_ = Result::kCancel;
  } else if (id == IdOf("b_file")) {
    ChooseFile();
  }
}

void TInputForm::ChooseFile() {
  const std::optional<std::string> file = AskFileToOpen(hwnd_);
  if (!file) return;
  controls_.SetText(*controls_.Find("e_input"), *file);
  BringToFront(hwnd_, options_);
  SetFocus(controls_.Handle("e_input"));
}

}  // namespace

bool InputDialogOpen() {
  return inputLockHeld.load();
}

void RaiseInputDialog(const InputFormOptions& options) {
  HWND form = nullptr;
  EnumWindows(FindInputFormProc, reinterpret_cast<LPARAM>(&form));
  if (form != nullptr) BringToFront(form, options);
}

std::optional<std::string> AskInputValue(const std::string& caption,
                                         const InputFormOptions& options) {
  InputLock lock;
  if (!lock.Acquire(options.terminating)) return std::nullopt;
  TInputForm form(options);
  if (!form.Create(Utf8ToWide(caption))) return std::nullopt;
  return form.ShowModal();
}

}  // namespace tavion
