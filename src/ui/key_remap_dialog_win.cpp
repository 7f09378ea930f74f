#include "ui/key_remap_dialog_win.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "base/utf_win.h"
#include "lang/lang.h"
#include "ui/custom_key_dialog_win.h"
#include "ui/ok_frame_win.h"
#include "ui/form_tables_win.h"

namespace tavion {
namespace {

// Sizes at 96 dots per inch.
constexpr int kMargin = 8;
constexpr int kGap = 6;
constexpr int kLabelHeight = 16;
constexpr int kEditHeight = 24;
constexpr int kCheckHeight = 20;
constexpr int kCheckRoom = 20;  // the check box's square and its gap
constexpr int kKeyWidth = 220;
constexpr int kNumberWidth = 44;
constexpr int kFieldPadding = 12;
constexpr int kLabelTag = 50;  // grey, with a colon, on this form (tag 55)
constexpr int kKeyEditId = 100;

// One captured key with the read-only fields beside it.
struct KeyFields {
  const char* edit;  // kRemapFromEdit, kRemapToEdit
  const char* label;
  const char* scanLabel;
  const char* extendedLabel;
  const char* scan;
  const char* extended;
};
constexpr KeyFields kFields[] = {
    {kRemapFromEdit, "l_key1", "l_scan1", "l_ext1", "e_scan1", "e_ext1"},
    {kRemapToEdit, "l_key2", "l_scan2", "l_ext2", "e_scan2", "e_ext2"}};

class KeyRemapDialog final : public ModalDialog {
 public:
  KeyRemapDialog(const CaptureHooks& hooks, KeyRemapDialogData& data)
      : hooks_(hooks), data_(data) {}

 private:
  bool Init() override;
  bool Accept() override;
  void ShowKey(size_t field);
  void LayOut();
  void Collect();
  HWND Handle(const char* name) const { return form_.Handle(name); }

  const CaptureHooks& hooks_;
  KeyRemapDialogData& data_;
  Win32Form form_;
  std::unique_ptr<KeyEdit> edits_[2];
};

bool KeyRemapDialog::Init() {
  std::vector<ControlDecl> table = KeyRemapDialogControls();
  table[table.size() - 2].checked = data_.addAnother;
  form_.SetLanguage(KeyRemapDialogLanguage());
  if (!form_.Create(dialog_, table)) return false;
  // The line is the program's message, in the language of its messages.
  form_.SetCaption(table.size() - 1, RemapRebootText());

  const KeyReplacement& row = data_.row;
  const uint32_t values[] = {RemapCapturedValue({row.fromScan, row.fromExtended}),
                             RemapCapturedValue({row.toScan, row.toExtended})};
  for (size_t i = 0; i < 2; ++i) {
    const KeyFields& f = kFields[i];
    for (const char* readOnly : {f.scan, f.extended}) {
      SendMessageW(Handle(readOnly), EM_SETREADONLY, TRUE, 0);
      // Only the capture controls take the focus: the numbers follow them.
      SetWindowLongPtrW(Handle(readOnly), GWL_STYLE,
                        GetWindowLongPtrW(Handle(readOnly), GWL_STYLE) & ~WS_TABSTOP);
    }
    KeyEditDesign design;
    design.id = kKeyEditId + static_cast<int>(i);
    design.font = form_.Font();
    // Keys only, each alone: a modifier is a key of its own here, and mouse buttons have no
    // scan code.
    design.options.useKeyModes = false;
    design.options.useAllModeLikeKeys = true;
    design.options.useMouse = false;
    design.hooks = hooks_;
    design.upOnly = data_.upOnlyKeys;
    design.editCustomKey = [](KeyEdit& edit) { EditCustomKey(edit); };
    edits_[i] = KeyEdit::Create(dialog_, design);
    if (!edits_[i]) return false;
    SetWindowPos(edits_[i]->Handle(), Handle(f.extendedLabel), 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    edits_[i]->SetHotKey(values[i]);
    edits_[i]->changed = [this, i] { ShowKey(i); };
    ShowKey(i);
  }
  LayOut();
  SetFocus(edits_[0]->Handle());
  return true;
}

void KeyRemapDialog::ShowKey(size_t field) {
  const RemapKey key = RemapKeyOf(edits_[field]->HotKey());
  form_.SetText(*form_.Find(kFields[field].scan), std::to_string(key.scanCode));
  form_.SetText(*form_.Find(kFields[field].extended), RemapExtendedText(key.extended));
}

void KeyRemapDialog::LayOut() {
  const int dpi = WindowDpi(dialog_);
  const auto scale = [dpi](int v) { return MulDiv(v, dpi, 96); };
  const auto width = [this](const char* name) { return ControlTextWidth(Handle(name)); };
  const int margin = scale(kMargin), gap = scale(kGap);
  int keyWidth = scale(kKeyWidth), scanWidth = scale(kNumberWidth), extendedWidth = 0;
  const int yesNo = std::max(TextWidth(form_.Font(), Utf8ToWide(RemapExtendedText(true))),
                             TextWidth(form_.Font(), Utf8ToWide(RemapExtendedText(false))));
  extendedWidth = std::max(scale(kNumberWidth), yesNo + scale(kFieldPadding));
  for (const KeyFields& f : kFields) {
    keyWidth = std::max(keyWidth, width(f.label));
    scanWidth = std::max(scanWidth, width(f.scanLabel));
    extendedWidth = std::max(extendedWidth, width(f.extendedLabel));
  }
  int client = keyWidth + scanWidth + extendedWidth + 2 * gap + 2 * margin;
  client = std::max({client, width("cb_add") + scale(kCheckRoom) + 2 * margin,
                     width("l_info") + 2 * margin, MinClientWidth(dpi)});
  // The capture controls take what the longer texts below leave over.
  keyWidth = client - 2 * margin - 2 * gap - scanWidth - extendedWidth;

  int top = margin;
  for (size_t i = 0; i < 2; ++i) {
    const KeyFields& f = kFields[i];
    const int scanLeft = margin + keyWidth + gap, extendedLeft = scanLeft + scanWidth + gap;
    const int fieldTop = top + scale(kLabelHeight);
    MoveWindow(Handle(f.label), margin, top, keyWidth, scale(kLabelHeight), TRUE);
    MoveWindow(Handle(f.scanLabel), scanLeft, top, scanWidth, scale(kLabelHeight), TRUE);
    MoveWindow(Handle(f.extendedLabel), extendedLeft, top, extendedWidth, scale(kLabelHeight),
               TRUE);
    MoveWindow(edits_[i]->Handle(), margin, fieldTop, keyWidth, scale(kEditHeight), TRUE);
    MoveWindow(Handle(f.scan), scanLeft, fieldTop, scanWidth, scale(kEditHeight), TRUE);
    MoveWindow(Handle(f.extended), extendedLeft, fieldTop, extendedWidth, scale(kEditHeight), TRUE);
    top = fieldTop + scale(kEditHeight) + margin;
  }
  MoveWindow(Handle("cb_add"), margin, top, client - 2 * margin, scale(kCheckHeight), TRUE);
  top += scale(kCheckHeight) + gap;
  // The restart notice may run to several lines.
  const int infoHeight = LabelHeight(Handle("l_info"), scale(kLabelHeight));
  MoveWindow(Handle("l_info"), margin, top, client - 2 * margin, infoHeight, TRUE);
  top += infoHeight;
  SetClientSize(client, top + ok_.Height(dpi));
  RECT area;
  GetClientRect(dialog_, &area);
  ok_.Layout(area, dpi);
}

void KeyRemapDialog::Collect() {
  const RemapKey from = RemapKeyOf(edits_[0]->HotKey()), to = RemapKeyOf(edits_[1]->HotKey());
  data_.row = {from.scanCode, to.scanCode, from.extended, to.extended};
  data_.addAnother = form_.Checked(*form_.Find("cb_add"));
}

bool KeyRemapDialog::Accept() {
  Collect();
  const std::optional<DialogCheckFailure> failure = CheckKeyRemap(data_);
  if (!failure) return true;
  ShowBox(failure->message, MessageDialogType::Error, MessageButtons::Ok);
  SetFocus(edits_[failure->control == kRemapToEdit ? 1 : 0]->Handle());
  return false;
}

}  // namespace

bool ShowKeyRemapDialog(HWND owner, const CaptureHooks& hooks, KeyRemapDialogData& data) {
  KeyRemapDialog dialog(hooks, data);
  const std::string caption = data.editing ? GetLangStr("CaptionEdt", "Edit key", kRemapSection)
                                           : GetLangStr("CaptionAdd", "Add key", kRemapSection);
  return dialog.Run(owner, Utf8ToWide(caption));
}

std::vector<ControlDecl> KeyRemapDialogControls() {
  const auto label = [](const char* name, const char* caption) {
    ControlDecl decl = PlacedControl(name, ControlKind::kLabel, caption);
    decl.tag = kLabelTag;
    return decl;
  };
  const char* const captions[] = {"Key to replace", "Key replace to"};
  std::vector<ControlDecl> table;
  for (size_t i = 0; i < 2; ++i) {
    const KeyFields& f = kFields[i];
    table.push_back(label(f.label, captions[i]));
    table.push_back(label(f.scanLabel, "Scan"));
    table.push_back(label(f.extendedLabel, "Extended"));
    table.push_back(PlacedControl(f.scan, ControlKind::kEdit));
    table.push_back(PlacedControl(f.extended, ControlKind::kEdit));
  }
  table.push_back(PlacedControl("cb_add", ControlKind::kCheckBox, "Add new key after close"));
  table.push_back(
      PlacedControl("l_info", ControlKind::kLabel, "To apply changes, you must restart computer."));
  return table;
}

FormLanguage KeyRemapDialogLanguage() {
  return {std::string(kRemapSection), kQuietLabelsFormTag};
}

}  // namespace tavion
