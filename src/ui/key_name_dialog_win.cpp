#include "ui/key_name_dialog_win.h"

#include <algorithm>
#include <string>
#include <vector>

#include "base/utf_win.h"
#include "forms/message_box_win.h"
#include "keys/key_names.h"
#include "lang/lang.h"
#include "ui/hotkey_frame_win.h"
#include "ui/ok_frame_win.h"
#include "ui/form_tables_win.h"

namespace tavion {
namespace {

// Sizes at 96 dots per inch.
constexpr int kMargin = 8;
constexpr int kLabelHeight = 16;
constexpr int kEditHeight = 22;
constexpr int kMinWidth = 320;

class KeyNameDialog final : public ModalDialog {
 public:
  KeyNameDialog(const CaptureHooks& hooks, const TKeyNames& table, int editedIndex,
                KeyNameDialogData& data)
      : hooks_(hooks), table_(table), editedIndex_(editedIndex), data_(data) {}

 private:
  bool Init() override;
  bool Accept() override;
  void ShowKey();
  void LayOut();
  void Collect();

  const CaptureHooks& hooks_;
  const TKeyNames& table_;
  const int editedIndex_;
  KeyNameDialogData& data_;
  Win32Form form_;
  HotKeyFrame frame_;
};

bool KeyNameDialog::Init() {
  std::vector<ControlDecl> table = KeyNameDialogControls();
  table[1].text = data_.name;
  form_.SetLanguage({"Fr3"});
  if (!form_.Create(dialog_, table)) return false;
  for (const char* readOnly : {"e_std", "e_hid"})
    SendMessageW(form_.Handle(readOnly), EM_SETREADONLY, TRUE, 0);

  HotKeyFrameDesign design;
  // Names are given to keys as they are: no user names, modifiers or system names.
  design.options.useExKeys = false;
  design.options.useKeyModes = false;
  design.options.useKeyConvert = false;
  design.hooks = hooks_;
  design.rawInputReady = data_.rawInputReady;
  design.upOnly = data_.upOnlyKeys;
  if (!frame_.Create(dialog_, design)) return false;
  KeyEdit& edit = frame_.Edit();
  // The frame's controls follow the name in the Tab order.
  SetWindowPos(form_.Handle("e_std"), edit.Handle(), 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  SetWindowPos(form_.Handle("e_hid"), form_.Handle("e_std"), 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  edit.SetHotKey(data_.key);
  // Each mode keeps the text it showed last: the HID key is shown once its mode is on.
  if (data_.hidMode || (!data_.hidText.empty() && data_.key == 0))
    frame_.SetInputMode(TkeInputMode::keHid);
  edit.SetHidKey(data_.hidText);
  edit.changed = [this] { ShowKey(); };
  ShowKey();
  LayOut();
  SetFocus(form_.Handle("e_name"));
  SendMessageW(form_.Handle("e_name"), EM_SETSEL, 0, -1);
  return true;
}

void KeyNameDialog::ShowKey() {
  const uint32_t key = frame_.Edit().HotKey();
  form_.SetText(*form_.Find("e_std"),
                KeyTripleText(HotKeyByte(key, 2), HotKeyByte(key, 3), HotKeyByte(key, 4)));
  form_.SetText(*form_.Find("e_hid"), frame_.Edit().HidKey());
}

void KeyNameDialog::LayOut() {
  const int dpi = WindowDpi(dialog_);
  const auto scale = [dpi](int v) { return MulDiv(v, dpi, 96); };
  int width = std::max(
      {scale(kMinWidth), frame_.NeededWidth(dpi) + 2 * scale(kMargin), MinClientWidth(dpi)});
  for (const char* label : {"l_name", "l_std", "l_hid"})
    width = std::max(width, ControlTextWidth(form_.Handle(label)) + 2 * scale(kMargin));
  const int inner = width - 2 * scale(kMargin);
  int top = scale(kMargin);
  const auto field = [&](const char* label, const char* edit) {
    const int height = LabelHeight(form_.Handle(label), scale(kLabelHeight));
    MoveWindow(form_.Handle(label), scale(kMargin), top, inner, height, TRUE);
    top += height;
    MoveWindow(form_.Handle(edit), scale(kMargin), top, inner, scale(kEditHeight), TRUE);
    top += scale(kEditHeight + kMargin);
  };
  field("l_name", "e_name");
  top += frame_.Layout(scale(kMargin), top, inner, dpi) + scale(kMargin);
  field("l_std", "e_std");
  field("l_hid", "e_hid");
  SetClientSize(width, top + ok_.Height(dpi) - scale(kMargin));
  RECT client;
  GetClientRect(dialog_, &client);
  ok_.Layout(client, dpi);
}

void KeyNameDialog::Collect() {
  data_.name = form_.Text(*form_.Find("e_name"));
  const KeyEdit& edit = frame_.Edit();
  // The table keeps a key without modifiers.
  data_.key = edit.HotKey() & 0xFFFFFF00u;
  data_.hidText = edit.HidKey();
  data_.hidMode = edit.InputMode() == TkeInputMode::keHid;
}

bool KeyNameDialog::Accept() {
  Collect();
  const std::optional<DialogCheckFailure> failure = CheckKeyName(data_, table_, editedIndex_);
  if (!failure) return true;
  ShowBox(failure->message, MessageDialogType::Error, MessageButtons::Ok);
  SetFocus(failure->control == kKeyNameEdit ? form_.Handle("e_name") : frame_.Edit().Handle());
  return false;
}

}  // namespace

bool ShowKeyNameDialog(HWND owner, const CaptureHooks& hooks, const TKeyNames& table,
                       int editedIndex, KeyNameDialogData& data) {
  KeyNameDialog dialog(hooks, table, editedIndex, data);
  const std::string caption = data.editing ? GetLangStr("CaptionEdt", "Edit key", "Fr3")
                                           : GetLangStr("CaptionAdd", "Add new key", "Fr3");
  return dialog.Run(owner, Utf8ToWide(caption));
}

std::vector<ControlDecl> KeyNameDialogControls() {
  const auto label = [](const char* name, const char* caption) {
    return PlacedControl(name, ControlKind::kLabel, caption);
  };
  return {label("l_name", "Key name"),    PlacedControl("e_name", ControlKind::kEdit),
          label("l_std", "Standart key"), PlacedControl("e_std", ControlKind::kEdit),
          label("l_hid", "Hid key"),      PlacedControl("e_hid", ControlKind::kEdit)};
}

}  // namespace tavion
