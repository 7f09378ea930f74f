// The tabs of the codes that give keys and texts: "ke_keyz", "mc_play" and "mc_text".
#include <algorithm>
#include <memory>

#include "actions/params.h"
#include "base/utf_win.h"
#include "lang/lang.h"
#include "ui/keyboard_layouts_win.h"
#include "ui/macro_editor.h"
#include "ui/main_options.h"
#include "ui/param_tab_form_win.h"

namespace tavion {
namespace {

class ReplaceKeyTab final : public FormParamTab {
 public:
  std::string_view Code() const override { return "ke_keyz"; }

  void Load(const Persistent* params) override {
    const TActionParamsRKey* replace = &ParamsOrDefaults<TActionParamsRKey>(params);
    loading_ = true;
    key_->SetInputMode(TkeInputMode::keNormal);
    key_->SetHotKey(replace->Key.HKey());
    loading_ = false;
    int item = 0;
    for (size_t i = 0; i < layouts_.size(); ++i)
      if (replace->Lang != 0 && layouts_[i].handle == replace->Lang) item = static_cast<int>(i) + 1;
    if (replace->Lang != 0 && item == 0) {
      // A layout no longer installed is kept, shown by its number, rather than lost.
      std::wstring number;
      for (int shift = 28; shift >= 0; shift -= 4)
        number += L"0123456789ABCDEF"[(replace->Lang >> shift) & 15];
      layouts_.push_back({replace->Lang, number});
      AddLanguage(number);
      item = static_cast<int>(layouts_.size());
    }
    Form().SetItemIndex(At("cb_lang"), item);
  }

  std::optional<ParamCheckFailure> Check() const override { return std::nullopt; }

  void Store(Persistent& params) const override {
    auto* replace = dynamic_cast<TActionParamsRKey*>(&params);
    if (!replace) return;
    replace->Key.SetInputMode(TkeInputMode::keNormal);
    replace->Key.SetHKey(key_->HotKey());
    replace->Key.SetKeyPolyglot(key_->Text());
    const int item = Form().ItemIndex(At("cb_lang"));
    replace->Lang = item >= 1 && static_cast<size_t>(item) <= layouts_.size()
                        ? layouts_[static_cast<size_t>(item) - 1].handle
                        : 0;
  }

 private:
  std::vector<ControlDecl> Controls() const override {
    // The capture control takes the place of "e_key", which only lends it its caption and row.
    return {TabControl(ControlKind::kEdit, "e_key", "Key (to replace by)"),
            TabList("cb_lang", "Language (to replace by)", {GetLangStr("ButtonDef", "Default")})};
  }

  void Created() override {
    HWND place = ControlHandle("e_key");
    ShowWindow(place, SW_HIDE);
    EnableWindow(place, FALSE);
    KeyEditDesign design;
    design.id = FirstId() + 99;
    design.font = Form().Font();
    design.hooks = Context().captureHooks;
    design.upOnly = Context().upOnlyKeys;
    key_ = KeyEdit::Create(Handle(), design);
    if (key_) {
      SetWindowPos(key_->Handle(), place, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
      key_->changed = [this] {
        // Clearing the field chooses no key: only a key renames the action.
        const bool chosen = (key_->HotKey() & 0xFFFFFF00u) != 0;
        if (!loading_ && chosen && Context().replacementKeyChosen)
          Context().replacementKeyChosen(key_->Text());
      };
    }
    layouts_ = InstalledKeyboardLayouts();
    for (const KeyboardLayoutEntry& layout : layouts_) AddLanguage(layout.name);
    Form().SetItemIndex(At("cb_lang"), 0);
  }

  void LaidOut() override {
    RECT place = {};
    HWND edit = ControlHandle("e_key");
    GetWindowRect(edit, &place);
    MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&place), 2);
    if (key_) {
      SendMessageW(key_->Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(Form().Font()), FALSE);
      MoveWindow(key_->Handle(), place.left, place.top, place.right - place.left,
                 place.bottom - place.top, TRUE);
      // Its text was set while it was narrow and scrolled to the caret: the start comes back.
      const auto length = static_cast<LPARAM>(GetWindowTextLengthW(key_->Handle()));
      SendMessageW(key_->Handle(), EM_SETSEL, 0, 0);
      SendMessageW(key_->Handle(), EM_SETSEL, static_cast<WPARAM>(length), length);
    }
  }

  void AddLanguage(const std::wstring& name) {
    SendMessageW(ControlHandle("cb_lang"), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
  }

  std::unique_ptr<KeyEdit> key_;
  std::vector<KeyboardLayoutEntry> layouts_;
  bool loading_ = false;
};

class MacroTab final : public FormParamTab {
 public:
  std::string_view Code() const override { return "mc_play"; }

  void Load(const Persistent* params) override {
    const auto* macro = dynamic_cast<const TActionParamsMacr*>(params);
    SelectName(macro ? macro->Name : std::string());
  }

  std::optional<ParamCheckFailure> Check() const override {
    return Failure(CheckMacroName(Chosen()));
  }

  void Store(Persistent& params) const override {
    if (auto* macro = dynamic_cast<TActionParamsMacr*>(&params)) macro->Name = Chosen();
  }

 private:
  std::vector<ControlDecl> Controls() const override {
    return {TabList("cb_macros", "Macros name", Context().macroNames),
            Beside(TabControl(ControlKind::kButton, "b_editmacro", "Edit macros"))};
  }

  void Created() override {
    names_ = Context().macroNames;
    Enable();
  }

  void OnControl(size_t index, WORD code) override {
    const std::string& name = Form().Name(index);
    if (name == "cb_macros" && code == CBN_SELCHANGE) Enable();
    if (name == "b_editmacro" && code == BN_CLICKED && Context().editMacro && !Chosen().empty()) {
      const std::string edited = Chosen();
      if (const std::optional<std::string> stored = Context().editMacro(edited))
        Renamed(edited, *stored);
    }
  }

  // The macro `from` is stored as `to` now: the list shows it under that name, selected; a macro
  // it replaced is gone from the list.
  void Renamed(const std::string& from, const std::string& to) {
    std::erase_if(names_, [&](const std::string& n) { return n != from && SameMacroName(n, to); });
    std::replace(names_.begin(), names_.end(), from, to);
    HWND list = ControlHandle("cb_macros");
    SendMessageW(list, CB_RESETCONTENT, 0, 0);
    for (const std::string& n : names_)
      SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Utf8ToWide(n).c_str()));
    SelectName(to);
  }

  void SelectName(const std::string& name) {
    const auto found = std::find(names_.begin(), names_.end(), name);
    Form().SetItemIndex(At("cb_macros"),
                        found == names_.end() ? -1 : static_cast<int>(found - names_.begin()));
    Enable();
  }

  std::string Chosen() const {
    const int item = Form().ItemIndex(At("cb_macros"));
    return item >= 0 && static_cast<size_t>(item) < names_.size() ? names_[item] : std::string();
  }

  void Enable() {
    EnableWindow(ControlHandle("b_editmacro"), Context().editMacro && !Chosen().empty());
  }

  std::vector<std::string> names_;  // as the list shows them
};

class TextTab final : public FormParamTab {
 public:
  std::string_view Code() const override { return "mc_text"; }

  void Load(const Persistent* params) override {
    const TActionParamsMacrText* text = &ParamsOrDefaults<TActionParamsMacrText>(params);
    Form().SetItemIndex(At("rg_mode"), text->Mode == 1 ? 1 : 0);
    Form().SetText(At("m_text"), text->Text);
    Form().SetText(At("e_file"), text->FileName);
    Form().SetItemIndex(At("cb_encoding"), text->FileEncoding == 1 ? 1 : 0);
    Enable();
  }

  std::optional<ParamCheckFailure> Check() const override {
    return Failure(CheckTypedText(
        Mode(), Form().Text(At("m_text")), Form().Text(At("e_file")), [](std::string_view file) {
          const DWORD attributes = GetFileAttributesW(Utf8ToWide(std::string(file)).c_str());
          return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
        }));
  }

  void Store(Persistent& params) const override {
    auto* text = dynamic_cast<TActionParamsMacrText*>(&params);
    if (!text) return;
    text->Mode = static_cast<uint8_t>(Mode());
    text->Text = Form().Text(At("m_text"));
    text->FileName = Form().Text(At("e_file"));
    text->FileEncoding = Form().ItemIndex(At("cb_encoding")) == 1 ? 1 : 0;
  }

 private:
  std::vector<ControlDecl> Controls() const override {
    ControlDecl mode = TabChoice(ControlKind::kRadioGroup, "rg_mode", "",
                                 {"Type this text:", "Type text from file:"});
    mode.itemIndex = 0;
    ControlDecl encoding = TabList("cb_encoding", "File encoding:", {"Ansi", "Utf8"});
    encoding.itemIndex = 0;
    return {mode, TabControl(ControlKind::kMemo, "m_text", ""),
            TabControl(ControlKind::kEdit, "e_file", ""), SmallButton("b_file", "..."), encoding};
  }

  void OnControl(size_t index, WORD code) override {
    const std::string& name = Form().Name(index);
    if (name == "rg_mode" && code == BN_CLICKED) Enable();
    if (name == "b_file" && code == BN_CLICKED) {
      if (const auto file = ChooseFile(Form().Text(At("e_file"))))
        Form().SetText(At("e_file"), *file);
    }
  }

  int Mode() const { return Form().ItemIndex(At("rg_mode")) == 1 ? 1 : 0; }

  // Only the chosen source is editable.
  void Enable() {
    const bool file = Mode() == 1;
    Form().SetEnabled(At("m_text"), !file);
    for (const char* name : {"e_file", "b_file", "cb_encoding"}) Form().SetEnabled(At(name), file);
  }
};

}  // namespace

std::unique_ptr<ParamTab> CreateReplaceKeyTab() {
  return std::make_unique<ReplaceKeyTab>();
}

std::unique_ptr<ParamTab> CreateMacroTab() {
  return std::make_unique<MacroTab>();
}

std::unique_ptr<ParamTab> CreateTextTab() {
  return std::make_unique<TextTab>();
}

}  // namespace tavion
