#include "ui/shell_key_dialog_win.h"

#include <algorithm>
#include <string>

#include "base/open_file_win.h"
#include "base/utf_win.h"
#include "lang/lang.h"
#include "ui/ok_frame_win.h"
#include "ui/form_tables_win.h"

namespace tavion {
namespace {

// Sizes at 96 dots per inch.
constexpr int kMargin = 8;
constexpr int kGap = 6;
constexpr int kRow = 30;
constexpr int kFieldHeight = 23;
constexpr int kFieldWidth = 340;
constexpr int kDropHeight = 240;  // a drop-down list's open height
constexpr int kLabelTop = 4;      // a label's text sits level with its field's

constexpr char kParameter[] = "e_param";
constexpr char kBrowse[] = "b_browse";

class ShellKeyDialog final : public ModalDialog {
 public:
  ShellKeyDialog(const std::vector<ShellKeyRow>& rows, int editedRow, ShellKeyDialogData& data)
      : rows_(rows), editedRow_(editedRow), data_(data) {}

 private:
  bool Init() override;
  bool Accept() override;
  std::optional<INT_PTR> OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  HWND Control(const char* name) const { return form_.Handle(name); }
  void LayOut();
  void Collect();
  void FollowType();
  void Browse();

  const std::vector<ShellKeyRow>& rows_;
  const int editedRow_;
  ShellKeyDialogData& data_;
  Win32Form form_;
};

bool ShellKeyDialog::Init() {
  std::vector<ControlDecl> table = ShellKeyDialogControls();
  table[5].text = data_.parameter;
  form_.SetLanguage({"Fr5"});
  if (!form_.Create(dialog_, table)) return false;
  form_.SetItemIndex(*form_.Find(kShellKeyCombo), data_.keyIndex);
  form_.SetItemIndex(*form_.Find(kShellKeyTypeCombo), data_.typeIndex);
  FollowType();
  LayOut();
  SetFocus(Control(kShellKeyCombo));
  return true;
}

void ShellKeyDialog::LayOut() {
  const int dpi = WindowDpi(dialog_);
  const auto scale = [dpi](int v) { return MulDiv(v, dpi, 96); };
  int labelWidth = 0;
  for (const char* label : {"l_key", "l_action", "l_param"})
    labelWidth = std::max(labelWidth, ControlTextWidth(Control(label)) + scale(2));
  const int margin = scale(kMargin);
  const int gap = scale(kGap);
  const int fieldLeft = margin + labelWidth + gap;
  const int fieldHeight = scale(kFieldHeight);
  const int browseWidth = fieldHeight + scale(kGap);
  // The combos are as wide as their longest entry needs, at least the designed width.
  int fieldWidth = scale(kFieldWidth);
  for (const char* combo : {kShellKeyCombo, kShellKeyTypeCombo}) {
    fieldWidth = std::max(
        fieldWidth, WidestEntryWidth(Control(combo)) + GetSystemMetrics(SM_CXVSCROLL) + scale(12));
  }
  const int clientWidth = std::max({fieldLeft + fieldWidth + margin,
                                    ok_.Width(dpi) + (fieldLeft - margin), MinClientWidth(dpi)});
  fieldWidth = clientWidth - fieldLeft - margin;
  int top = margin;
  const auto row = [&](const char* label, const char* field, int width) {
    MoveWindow(Control(label), margin, top + scale(kLabelTop), labelWidth, fieldHeight, TRUE);
    const bool combo = field != kParameter;
    MoveWindow(Control(field), fieldLeft, top, width, combo ? scale(kDropHeight) : fieldHeight,
               TRUE);
    top += scale(kRow);
  };
  row("l_key", kShellKeyCombo, fieldWidth);
  row("l_action", kShellKeyTypeCombo, fieldWidth);
  const int parameterTop = top;
  row("l_param", kParameter, fieldWidth - gap - browseWidth);
  MoveWindow(Control(kBrowse), clientWidth - margin - browseWidth, parameterTop, browseWidth,
             fieldHeight, TRUE);
  const int clientHeight = top - scale(kRow) + fieldHeight + ok_.Height(dpi);
  SetClientSize(clientWidth, clientHeight);
  RECT client = {0, 0, clientWidth, clientHeight};
  ok_.Layout(client, dpi);
}

void ShellKeyDialog::Collect() {
  data_.keyIndex = form_.ItemIndex(*form_.Find(kShellKeyCombo));
  data_.typeIndex = form_.ItemIndex(*form_.Find(kShellKeyTypeCombo));
  data_.parameter = form_.Text(*form_.Find(kParameter));
}

void ShellKeyDialog::FollowType() {
  const bool browsable = form_.ItemIndex(*form_.Find(kShellKeyTypeCombo)) == 0;
  EnableWindow(Control(kBrowse), browsable);
}

void ShellKeyDialog::Browse() {
  const size_t parameter = *form_.Find(kParameter);
  const std::optional<std::string> file = AskFileToOpen(dialog_, form_.Text(parameter));
  if (!file) return;
  form_.SetText(parameter, *file);
  SetFocus(Control(kParameter));
}

std::optional<INT_PTR> ShellKeyDialog::OnMessage(UINT message, WPARAM wParam, LPARAM /*lParam*/) {
  if (message != WM_COMMAND) return std::nullopt;
  const std::optional<size_t> index = form_.IndexOfId(LOWORD(wParam));
  if (!index) return std::nullopt;
  const std::string& name = form_.Name(*index);
  if (name == kShellKeyTypeCombo && HIWORD(wParam) == CBN_SELCHANGE) FollowType();
  if (name == kBrowse && HIWORD(wParam) == BN_CLICKED) Browse();
  return std::nullopt;
}

bool ShellKeyDialog::Accept() {
  Collect();
  if (const std::optional<ShellKeyCheckFailure> failure = CheckShellKeyData(data_)) {
    ShowBox(failure->message, MessageDialogType::Error, MessageButtons::Ok);
    SetFocus(Control(failure->control.c_str()));
    return false;
  }
  data_.replacedRow = ConflictingShellKeyRow(rows_, data_, editedRow_);
  if (data_.replacedRow < 0) return true;
  const std::string question = ShellKeyExistsQuestion(kShellKeyNames[data_.keyIndex].name);
  if (ShowBox(question, MessageDialogType::Confirmation, MessageButtons::YesNoCancel) == IDYES)
    return true;
  data_.replacedRow = -1;
  SetFocus(Control(kShellKeyCombo));
  return false;
}

}  // namespace

bool ShowShellKeyDialog(HWND owner, const std::vector<ShellKeyRow>& rows, int editedRow,
                        ShellKeyDialogData& data) {
  ShellKeyDialog dialog(rows, editedRow, data);
  const std::string caption = data.editing ? GetLangStr("CaptionEdt", "Edit shell key", "Fr5")
                                           : GetLangStr("CaptionAdd", "Add shell key", "Fr5");
  return dialog.Run(owner, Utf8ToWide(caption));
}

std::vector<ControlDecl> ShellKeyDialogControls() {
  std::vector<ControlDecl> table = {PlacedControl("l_key", ControlKind::kLabel, "&Key:"),
                                    PlacedControl(kShellKeyCombo, ControlKind::kComboBox),
                                    PlacedControl("l_action", ControlKind::kLabel, "&Action:"),
                                    PlacedControl(kShellKeyTypeCombo, ControlKind::kComboBox),
                                    PlacedControl("l_param", ControlKind::kLabel, "&Parameter:"),
                                    PlacedControl(kParameter, ControlKind::kEdit),
                                    PlacedControl(kBrowse, ControlKind::kButton, "...")};
  // Names of the shell's own keys and launch kinds, the same in every language.
  for (const ShellKeyName& key : kShellKeyNames) table[1].items.emplace_back(key.name);
  for (const std::string_view type : kShellKeyTypes) table[3].items.emplace_back(type);
  table[1].valueItems = table[3].valueItems = true;
  return table;
}

}  // namespace tavion
