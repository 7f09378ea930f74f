#include "ui/custom_key_dialog_win.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/utf_win.h"
#include "lang/lang.h"
#include "ui/ok_frame_win.h"
#include "ui/form_tables_win.h"

namespace tavion {
namespace {

// Sizes at 96 dots per inch.
constexpr int kMargin = 8;
constexpr int kRow = 28;
constexpr int kFieldHeight = 22;
constexpr int kNumberWidth = 64;
constexpr int kLabelTop = 3;  // a label's text sits level with its field's

class CustomKeyDialog final : public ModalDialog {
 public:
  explicit CustomKeyDialog(KeyEdit& edit) : edit_(edit), original_(edit.HotKey()) {}

 private:
  bool Init() override;
  void Cancelled() override { edit_.SetHotKey(original_); }
  std::optional<INT_PTR> OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  int Value(const char* name) const { return form_.ItemIndex(*form_.Find(name)); }
  void Set(const char* name, int value) { form_.SetItemIndex(*form_.Find(name), value); }
  void LayOut();

  KeyEdit& edit_;
  const uint32_t original_;
  Win32Form form_;
  bool syncing_ = true;  // until the fields are filled: their changes are not the user's
};

bool CustomKeyDialog::Init() {
  std::vector<ControlDecl> table = CustomKeyDialogControls();
  ControlDecl& modifiers = table[4];
  const uint32_t value = edit_.HotKey();
  modifiers.itemIndex = HotKeyByte(value, 1) & 15;
  table[5].itemIndex = modifiers.itemIndex;
  table[6].itemIndex = HotKeyByte(value, 2);
  table[7].itemIndex = HotKeyByte(value, 3);
  table[8].itemIndex = HotKeyByte(value, 4);
  form_.SetLanguage({"TFr_ke"});
  if (!form_.Create(dialog_, table)) return false;
  const bool modes = edit_.Options().useKeyModes;
  EnableWindow(form_.Handle("cb_mod"), modes);
  EnableWindow(form_.Handle("se_mod"), modes);
  LayOut();
  syncing_ = false;
  SetFocus(form_.Handle(modes ? "cb_mod" : "se_code"));
  return true;
}

void CustomKeyDialog::LayOut() {
  const int dpi = WindowDpi(dialog_);
  const auto scale = [dpi](int v) { return MulDiv(v, dpi, 96); };
  const char* labels[] = {"l_mod", "l_code", "l_scan", "l_flag"};
  int labelWidth = 0;
  for (const char* label : labels)
    labelWidth = std::max(labelWidth, ControlTextWidth(form_.Handle(label)));
  const int comboWidth = WidestEntryWidth(form_.Handle("cb_mod")) + scale(32);
  const int fieldLeft = scale(kMargin) + labelWidth + scale(kMargin);
  const int number = scale(kNumberWidth);
  const int contentWidth = fieldLeft + comboWidth + scale(kMargin) + number + scale(kMargin);
  const int width = std::max(contentWidth, MinClientWidth(dpi));
  const int height = scale(kMargin) + 4 * scale(kRow) + ok_.Height(dpi);
  SetClientSize(width, height);
  const char* fields[] = {"cb_mod", "se_code", "se_scan", "se_flag"};
  for (int row = 0; row < 4; ++row) {
    const int top = scale(kMargin) + row * scale(kRow);
    MoveWindow(form_.Handle(labels[row]), scale(kMargin), top + scale(kLabelTop), labelWidth,
               scale(kFieldHeight), TRUE);
    const int fieldWidth = row == 0 ? comboWidth : number;
    MoveWindow(form_.Handle(fields[row]), fieldLeft, top, fieldWidth,
               row == 0 ? scale(200) : scale(kFieldHeight), TRUE);
  }
  MoveWindow(form_.Handle("se_mod"), fieldLeft + comboWidth + scale(kMargin), scale(kMargin),
             number, scale(kFieldHeight), TRUE);
  // The arrows (the window made right after each number field) follow their moved edits.
  for (const char* spin : {"se_mod", "se_code", "se_scan", "se_flag"}) {
    HWND field = form_.Handle(spin);
    HWND arrows = GetWindow(field, GW_HWNDNEXT);
    wchar_t className[32] = {};
    if (arrows && GetClassNameW(arrows, className, 32) && lstrcmpiW(className, UPDOWN_CLASSW) == 0)
      SendMessageW(arrows, UDM_SETBUDDY, reinterpret_cast<WPARAM>(field), 0);
  }
  RECT client;
  GetClientRect(dialog_, &client);
  ok_.Layout(client, dpi);
}

std::optional<INT_PTR> CustomKeyDialog::OnMessage(UINT message, WPARAM wParam, LPARAM) {
  if (message != WM_COMMAND || syncing_) return std::nullopt;
  const std::optional<size_t> index = form_.IndexOfId(LOWORD(wParam));
  if (!index) return std::nullopt;
  const std::string& name = form_.Name(*index);
  const WORD code = HIWORD(wParam);
  if (code != EN_CHANGE && code != CBN_SELCHANGE) return std::nullopt;
  syncing_ = true;
  if (name == "cb_mod") Set("se_mod", Value("cb_mod"));
  if (name == "se_mod") Set("cb_mod", Value("se_mod"));
  syncing_ = false;
  edit_.SetHotKey(
      PackHotKey(static_cast<uint8_t>(Value("se_code")), static_cast<uint8_t>(Value("se_scan")),
                 static_cast<uint8_t>(Value("se_flag")), static_cast<uint8_t>(Value("cb_mod"))));
  return 0;
}

}  // namespace

bool EditCustomKey(KeyEdit& edit) {
  CustomKeyDialog dialog(edit);
  return dialog.Run(edit.Handle(), Utf8ToWide(GetLangStr("Caption", "Custom key edit", "TFr_ke")));
}

std::vector<ControlDecl> CustomKeyDialogControls() {
  const auto label = [](const char* name, const char* caption) {
    return PlacedControl(name, ControlKind::kLabel, caption);
  };
  const auto number = [](const char* name, int maxValue) {
    ControlDecl decl = PlacedControl(name, ControlKind::kSpinEdit);
    decl.maxValue = maxValue;
    return decl;
  };
  // Labels first, then the fields in Tab order.
  std::vector<ControlDecl> table = {label("l_mod", "HotKey modifier:"),
                                    label("l_code", "Code:"),
                                    label("l_scan", "Scan:"),
                                    label("l_flag", "Flag:"),
                                    PlacedControl("cb_mod", ControlKind::kComboBox),
                                    number("se_mod", 15),
                                    number("se_code", 255),
                                    number("se_scan", 255),
                                    number("se_flag", 255)};
  ControlDecl& modifiers = table[4];
  for (int mask = 0; mask < 16; ++mask)
    modifiers.items.push_back(mask == 0 ? GetLangStr("StrNone", "None")
                                        : ModifiersToText(static_cast<uint8_t>(mask)));
  modifiers.valueItems = true;  // the others are key names, as the key fields show them
  return table;
}

}  // namespace tavion
