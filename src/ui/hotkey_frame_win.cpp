#include "ui/hotkey_frame_win.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "lang/lang.h"
#include "ui/custom_key_dialog_win.h"
#include "ui/ok_frame_win.h"
#include "ui/form_tables_win.h"

namespace tavion {
namespace {

// Sizes at 96 dots per inch.
constexpr int kMargin = 8;
constexpr int kCaption = 18;
constexpr int kLine = 20;
constexpr int kEditHeight = 24;
constexpr int kIndicator = 12;
constexpr int kCheckRoom = 20;  // the radio circle and its gap
constexpr UINT kHighlightMs = 250;

enum Offset : int { kGroup, kNormalIndicator, kHidIndicator, kRadios, kEdit = 10, kTimers = 20 };

}  // namespace

std::vector<ControlDecl> HotKeyFrameControls() {
  std::vector<ControlDecl> table = {PlacedControl("gb_key", ControlKind::kRadioGroup, "Key"),
                                    PlacedControl("l_normal", ControlKind::kLabel),
                                    PlacedControl("l_hid", ControlKind::kLabel)};
  table[0].items = {GetLangStr("rb_normal", "Get normal keys input", "TFr_HKey"),
                    GetLangStr("rb_hid", "Get keys input from HID devices", "TFr_HKey")};
  table[0].itemIndex = 0;
  return table;
}

FormLanguage HotKeyFrameLanguage() {
  return {"TFr_HKey"};
}

HotKeyFrame::~HotKeyFrame() {
  if (parent_) RemoveWindowSubclass(parent_, &HotKeyFrame::ParentProcedure, design_.firstId);
}

bool HotKeyFrame::Create(HWND parent, const HotKeyFrameDesign& design) {
  parent_ = parent;
  design_ = design;
  std::vector<ControlDecl> table = HotKeyFrameControls();
  form_.SetLanguage(HotKeyFrameLanguage());
  if (!form_.Create(parent, table, design.firstId)) return false;
  EnableWindow(Radio(1), design.rawInputReady);
  KeyEditDesign edit;
  edit.id = design.firstId + kEdit;
  edit.font = ControlFont(form_.Handle("gb_key"));
  edit.options = design.options;
  edit.hooks = design.hooks;
  edit.upOnly = design.upOnly;
  edit.editCustomKey = [](KeyEdit& key) { EditCustomKey(key); };
  edit_ = KeyEdit::Create(parent, edit);
  if (!edit_) return false;
  // The edit follows the radio buttons in the Tab order.
  SetWindowPos(edit_->Handle(), Radio(1), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  return SetWindowSubclass(parent, &HotKeyFrame::ParentProcedure, design.firstId,
                           reinterpret_cast<DWORD_PTR>(this)) != FALSE;
}

HWND HotKeyFrame::Radio(int item) const {
  // The radio buttons take the ids after the table's controls.
  return GetDlgItem(parent_, design_.firstId + kRadios + item);
}

int HotKeyFrame::NeededWidth(int dpi) const {
  int widest = 0;
  for (int item = 0; item < 2; ++item) widest = std::max(widest, ControlTextWidth(Radio(item)));
  const int rows = widest + MulDiv(kCheckRoom + kIndicator + 4 * kMargin, dpi, 96);
  // The group's caption sits in its top border, between the corners.
  return std::max(rows, ControlTextWidth(form_.Handle("gb_key")) + MulDiv(4 * kMargin, dpi, 96));
}

int HotKeyFrame::Layout(int left, int top, int width, int dpi) {
  const auto scale = [dpi](int v) { return MulDiv(v, dpi, 96); };
  const int height = scale(kCaption + 2 * kLine + kMargin / 2 + kEditHeight + kMargin);
  MoveWindow(form_.Handle("gb_key"), left, top, width, height, TRUE);
  const int inner = left + scale(kMargin);
  const int indicatorLeft = left + width - scale(kMargin + kIndicator);
  const char* indicators[] = {"l_normal", "l_hid"};
  for (int item = 0; item < 2; ++item) {
    const int rowTop = top + scale(kCaption + item * kLine);
    MoveWindow(Radio(item), inner, rowTop, indicatorLeft - inner - scale(kMargin), scale(kLine),
               TRUE);
    MoveWindow(form_.Handle(indicators[item]), indicatorLeft,
               rowTop + (scale(kLine) - scale(kIndicator)) / 2, scale(kIndicator),
               scale(kIndicator), TRUE);
  }
  MoveWindow(edit_->Handle(), inner, top + scale(kCaption + 2 * kLine + kMargin / 2),
             width - 2 * scale(kMargin), scale(kEditHeight), TRUE);
  return height;
}

void HotKeyFrame::SetInputMode(TkeInputMode mode) {
  const int item = mode == TkeInputMode::keHid ? 1 : 0;
  if (auto index = form_.Find("gb_key")) form_.SetItemIndex(*index, item);
  edit_->SetInputMode(mode);
}

void HotKeyFrame::Light(int indicator) {
  lit_[indicator] = true;
  InvalidateRect(form_.Handle(indicator == 0 ? "l_normal" : "l_hid"), nullptr, TRUE);
  // The highlight ends by a timer: the user-interface thread is never held for it.
  SetTimer(parent_, design_.firstId + kTimers + indicator, kHighlightMs, nullptr);
}

std::optional<LRESULT> HotKeyFrame::OnParentMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kMsgKeyArrived:
      if (GetFocus() == edit_->Handle()) Light(wParam == 2 ? 1 : 0);
      return 0;
    case WM_TIMER: {
      const int indicator = static_cast<int>(wParam) - (design_.firstId + kTimers);
      if (indicator < 0 || indicator > 1) return std::nullopt;
      KillTimer(parent_, wParam);
      lit_[indicator] = false;
      InvalidateRect(form_.Handle(indicator == 0 ? "l_normal" : "l_hid"), nullptr, TRUE);
      return 0;
    }
    case WM_CTLCOLORSTATIC:
      for (int indicator = 0; indicator < 2; ++indicator) {
        if (reinterpret_cast<HWND>(lParam) != form_.Handle(indicator == 0 ? "l_normal" : "l_hid"))
          continue;
        const int colour = lit_[indicator] ? COLOR_HIGHLIGHT : COLOR_BTNSHADOW;
        SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(colour));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(colour));
      }
      return std::nullopt;
    case WM_COMMAND:
      for (int item = 0; item < 2; ++item) {
        if (HIWORD(wParam) != BN_CLICKED || LOWORD(wParam) != design_.firstId + kRadios + item)
          continue;
        edit_->SetInputMode(item == 1 ? TkeInputMode::keHid : TkeInputMode::keNormal);
        if (IsWindowEnabled(edit_->Handle())) SetFocus(edit_->Handle());
        return 0;
      }
      return std::nullopt;
  }
  return std::nullopt;
}

LRESULT CALLBACK HotKeyFrame::ParentProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                              UINT_PTR, DWORD_PTR data) {
  if (const auto answer =
          reinterpret_cast<HotKeyFrame*>(data)->OnParentMessage(message, wParam, lParam))
    return *answer;
  return DefSubclassProc(hwnd, message, wParam, lParam);
}

}  // namespace tavion
