#include "ui/ok_frame_win.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "base/handles_win.h"
#include "lang/lang.h"

namespace tavion {
namespace {

// Sizes at 96 dots per inch.
constexpr int kMargin = 8;
constexpr int kGap = 6;
constexpr int kButtonHeight = 26;

}  // namespace

ControlDecl PlacedControl(std::string name, ControlKind kind, std::string caption) {
  ControlDecl decl;
  decl.name = std::move(name);
  decl.kind = kind;
  decl.caption = std::move(caption);
  // A place of its own keeps the form runtime from stacking it; Layout moves it.
  decl.place = {0, 0, 1, 1};
  return decl;
}

bool OkFrame::Create(HWND dialog) {
  const ControlDecl table[] = {
      PlacedControl("b_ok", ControlKind::kButton, GetLangStr("ButtonOK", "OK")),
      PlacedControl("b_cancel", ControlKind::kButton, GetLangStr("ButtonCancel", "Cancel"))};
  if (!form_.Create(dialog, table, IDOK)) return false;
  SendMessageW(form_.Handle("b_ok"), BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
  return true;
}

int OkFrame::Width(int dpi) const {
  const int button =
      std::max(ButtonWidth(form_.Handle("b_ok"), dpi), ButtonWidth(form_.Handle("b_cancel"), dpi));
  return 2 * button + MulDiv(kGap + 2 * kMargin, dpi, 96);
}

void OkFrame::PlaceLast() {
  for (const char* name : {"b_ok", "b_cancel"}) {
    SetWindowPos(form_.Handle(name), HWND_BOTTOM, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
}

int OkFrame::Height(int dpi) const {
  return MulDiv(kButtonHeight + 2 * kMargin, dpi, 96);
}

int OkFrame::Layout(const RECT& client, int dpi) {
  const int button =
      std::max(ButtonWidth(form_.Handle("b_ok"), dpi), ButtonWidth(form_.Handle("b_cancel"), dpi));
  const int height = MulDiv(kButtonHeight, dpi, 96);
  const int margin = MulDiv(kMargin, dpi, 96);
  const int top = client.bottom - margin - height;
  const int cancelLeft = client.right - margin - button;
  MoveWindow(form_.Handle("b_cancel"), cancelLeft, top, button, height, TRUE);
  MoveWindow(form_.Handle("b_ok"), cancelLeft - MulDiv(kGap, dpi, 96) - button, top, button, height,
             TRUE);
  return top - margin;
}

bool ModalDialog::Run(HWND owner, const std::wstring& caption) {
  // A template without controls: a header, then the menu, class and title as wide strings.
  std::vector<WORD> buffer(sizeof(DLGTEMPLATE) / sizeof(WORD) + 3 + caption.size() + 1, 0);
  auto* header = reinterpret_cast<DLGTEMPLATE*>(buffer.data());
  header->style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER;
  header->dwExtendedStyle = WS_EX_CONTROLPARENT;
  WORD* title = buffer.data() + sizeof(DLGTEMPLATE) / sizeof(WORD) + 2;
  std::copy(caption.begin(), caption.end(), title);
  const INT_PTR result =
      DialogBoxIndirectParamW(GetModuleHandleW(nullptr), header, owner, &ModalDialog::Procedure,
                              reinterpret_cast<LPARAM>(this));
  return result == IDOK;
}

int ModalDialog::ShowBox(const std::string& text, MessageDialogType type, MessageButtons buttons) {
  EnableWindow(dialog_, FALSE);
  const int answer = ShowMessageBox(text, type, buttons);
  EnableWindow(dialog_, TRUE);
  SetActiveWindow(dialog_);
  return answer;
}

int ModalDialog::MinClientWidth(int dpi) const {
  return std::max(ok_.Width(dpi), TitleClientWidth(dialog_));
}

void ModalDialog::SetClientSize(int width, int height) {
  RECT frame = {0, 0, width, height};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(dialog_, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrW(dialog_, GWL_EXSTYLE)));
  const int outerWidth = frame.right - frame.left;
  const int outerHeight = frame.bottom - frame.top;
  RECT over = {};
  HWND owner = GetWindow(dialog_, GW_OWNER);
  if (!owner || !IsWindowVisible(owner) || !GetWindowRect(owner, &over)) {
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &over, 0);
  }
  const int left = std::max(0, static_cast<int>(over.left + over.right - outerWidth) / 2);
  const int top = std::max(0, static_cast<int>(over.top + over.bottom - outerHeight) / 2);
  SetWindowPos(dialog_, nullptr, left, top, outerWidth, outerHeight, SWP_NOZORDER);
}

INT_PTR CALLBACK ModalDialog::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* self = reinterpret_cast<ModalDialog*>(lParam);
    SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
    self->dialog_ = hwnd;
    if (!self->ok_.Create(hwnd) || !self->Init()) {
      EndDialog(hwnd, IDCANCEL);
      return TRUE;
    }
    self->ok_.PlaceLast();
    // Init gave the focus to the first field.
    return FALSE;
  }
  auto* self = reinterpret_cast<ModalDialog*>(GetWindowLongPtrW(hwnd, DWLP_USER));
  if (!self) return FALSE;
  if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
    if (LOWORD(wParam) == IDOK) {
      if (self->Accept()) EndDialog(hwnd, IDOK);
      return TRUE;
    }
    if (LOWORD(wParam) == IDCANCEL) {
      self->Cancelled();
      EndDialog(hwnd, IDCANCEL);
      return TRUE;
    }
  }
  if (const std::optional<INT_PTR> answer = self->OnMessage(message, wParam, lParam)) {
    SetWindowLongPtrW(hwnd, DWLP_MSGRESULT, *answer);
    return TRUE;
  }
  return FALSE;
}

}  // namespace tavion
