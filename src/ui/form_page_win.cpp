#include "ui/form_page_win.h"

#include "ui/form_languages.h"
#include "ui/main_pages_win.h"
#include "ui/options_page_win.h"

namespace tavion {
namespace {

constexpr int kFirstControlId = 1000;

}  // namespace

FormPage::~FormPage() {
  if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
}

bool FormPage::Create(HWND parent, const PageServices& services) {
  if (hwnd_) return false;
  services_ = services;
  HINSTANCE instance = services.instance ? services.instance : GetModuleHandleW(nullptr);
  hwnd_ = CreatePageWindow(parent, instance, &FormPage::WindowProc, this);
  if (!hwnd_) return false;
  // A group box paints only its frame: the page must paint its face beneath it too, or
  // scrolling leaves fragments of the controls inside the box behind.
  SetWindowLongPtrW(hwnd_, GWL_STYLE, GetWindowLongPtrW(hwnd_, GWL_STYLE) & ~WS_CLIPCHILDREN);
  RECT client = {};
  GetClientRect(parent, &client);
  MoveWindow(hwnd_, 0, 0, client.right, client.bottom, FALSE);
  form_.SetLanguage(Language());
  if (!form_.Create(hwnd_, Controls(), kFirstControlId, /*notifyFocus=*/true)) {
    DestroyWindow(hwnd_);
    return false;
  }
  dpi_ = form_.Dpi();
  Created();
  Relayout();
  return true;
}

void FormPage::ApplyLanguage() {
  if (!hwnd_) return;
  form_.ApplyLanguage();
  LanguageApplied();
  Relayout();
}

FormLanguage FormPage::Language() const {
  return MainWindowLanguage();
}

int FormPage::MinimumWidth() const {
  // The scroll bar may take its room too.
  return form_.NeededWidth() + GetSystemMetrics(SM_CXVSCROLL);
}

void FormPage::Shown() {
  // Painted at once: the page is complete when it appears.
  RedrawWindow(hwnd_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void FormPage::Layout(int dpi) {
  if (!hwnd_ || layingOut_) return;
  RECT client = {};
  GetClientRect(hwnd_, &client);
  if (dpi == dpi_ && client.right == laidOutWidth_ && !stale_) {
    // Only the height changed: the scroll range follows, the controls stay.
    SetScrollingPageContentHeight(hwnd_, form_.ContentHeight());
    return;
  }
  layingOut_ = true;
  dpi_ = dpi;
  // Laid out from the top: the scroll position starts again there.
  SCROLLINFO info = {};
  info.cbSize = sizeof info;
  info.fMask = SIF_POS;
  SetScrollInfo(hwnd_, SB_VERT, &info, FALSE);
  SetScrollingPageContentHeight(hwnd_, form_.Layout(client.right, dpi));
  // Showing or hiding the scroll bar changes the width: lay out once more for the new one.
  RECT after = {};
  GetClientRect(hwnd_, &after);
  if (after.right != client.right)
    SetScrollingPageContentHeight(hwnd_, form_.Layout(after.right, dpi));
  laidOutWidth_ = after.right;
  stale_ = false;
  InvalidateRect(hwnd_, nullptr, TRUE);
  layingOut_ = false;
}

void FormPage::OnControl(size_t index, WORD code) {
  bool changed = false;
  switch (form_.Kind(index)) {
    case ControlKind::kCheckBox:
    case ControlKind::kRadioGroup:
      changed = code == BN_CLICKED;
      break;
    case ControlKind::kComboBox:
      changed = code == CBN_SELCHANGE;
      break;
    case ControlKind::kEdit:
    case ControlKind::kMemo:
    case ControlKind::kSpinEdit:
      changed = code == EN_CHANGE;
      break;
    default:
      break;
  }
  if (changed && services_.optionChanged) services_.optionChanged(form_.Name(index));
}

LRESULT CALLBACK FormPage::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* page = reinterpret_cast<FormPage*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!page) return DefWindowProcW(hwnd, message, wParam, lParam);
  switch (message) {
    case WM_COMMAND:
      // The keyboard reached a control out of view: the page scrolls to it.
      if (HIWORD(wParam) == BN_SETFOCUS || HIWORD(wParam) == EN_SETFOCUS ||
          HIWORD(wParam) == CBN_SETFOCUS)
        ScrollPageToShow(hwnd, reinterpret_cast<HWND>(lParam));
      if (const auto index = page->form_.IndexOfId(LOWORD(wParam))) {
        page->OnControl(*index, HIWORD(wParam));
        return 0;
      }
      break;
    case WM_SIZE:
      if (page->form_.ControlCount() > 0) page->Layout(page->dpi_);
      return 0;
    case WM_NCDESTROY:
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      page->hwnd_ = nullptr;
      return DefWindowProcW(hwnd, message, wParam, lParam);
  }
  if (HandlePageScroll(hwnd, message, wParam)) return 0;
  LRESULT result = 0;
  if (page->OnMessage(message, wParam, lParam, result)) return result;
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace tavion
