// The "srun" tab: what to open, how, and with which window.
#include <algorithm>
#include <cctype>
#include <string>

#include "actions/params.h"
#include "base/utf_win.h"
#include "exec/launch.h"
#include "forms/message_box_win.h"
#include "lang/lang.h"
#include "ui/main_options.h"
#include "ui/param_tab_form_win.h"

namespace tavion {
namespace {

const std::vector<std::string> kVerbs = {"Open", "Edit", "Explore", "Find", "Print", "NULL"};
const std::vector<std::string> kShowCommands = {
    "SW_HIDE",           "SW_SHOWNORMAL", "SW_SHOWMINIMIZED", "SW_SHOWMAXIMIZED",
    "SW_SHOWNOACTIVATE", "SW_SHOW",       "SW_MINIMIZE",      "SW_SHOWMINNOACTIVE",
    "SW_SHOWNA",         "SW_RESTORE",    "SW_SHOWDEFAULT"};
constexpr int kShowNormal = 1;
constexpr char kNoVerb[] = "NULL";
constexpr char kInputVariable[] = "%input%";
constexpr char kVariablesHelp[] = "ex_envir.htm";

bool SameText(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) ==
           std::tolower(static_cast<unsigned char>(y));
  });
}

class LaunchTab final : public FormParamTab {
 public:
  std::string_view Code() const override { return "srun"; }

  void Load(const Persistent* params) override {
    const TActionParamsSExec* launch = &ParamsOrDefaults<TActionParamsSExec>(params);
    std::string verb = launch->Oper.empty() && params ? std::string(kNoVerb) : launch->Oper;
    if (verb.empty()) verb = kVerbs.front();
    HWND verbs = ControlHandle("cb_oper");
    int found = -1;
    for (int i = 0; i < static_cast<int>(SendMessageW(verbs, CB_GETCOUNT, 0, 0)); ++i)
      if (SameText(ComboItemText(verbs, i), verb)) found = i;
    if (found < 0) {
      // A verb of the user's own (such as "runas") is kept as one more entry.
      found = static_cast<int>(
          SendMessageW(verbs, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Utf8ToWide(verb).c_str())));
    }
    Form().SetItemIndex(At("cb_oper"), found);
    Form().SetText(At("e_path"), launch->Path);
    Form().SetText(At("e_parm"), launch->Parm);
    Form().SetText(At("e_fold"), launch->Fold);
    Form().SetItemIndex(At("cb_show"), params ? launch->Show : kShowNormal);
    if (Form().ItemIndex(At("cb_show")) < 0) Form().SetItemIndex(At("cb_show"), kShowNormal);
    Form().SetChecked(At("cb_switch"), launch->Switch);
  }

  std::optional<ParamCheckFailure> Check() const override {
    return Failure(CheckLaunchPath(Form().Text(At("e_path"))));
  }

  void Store(Persistent& params) const override {
    auto* launch = dynamic_cast<TActionParamsSExec*>(&params);
    if (!launch) return;
    const int verb = Form().ItemIndex(At("cb_oper"));
    launch->Oper = verb < 0 ? kVerbs.front() : ComboItemText(ControlHandle("cb_oper"), verb);
    launch->Path = Form().Text(At("e_path"));
    launch->Parm = Form().Text(At("e_parm"));
    launch->Fold = Form().Text(At("e_fold"));
    launch->Show = static_cast<uint8_t>(std::max(0, Form().ItemIndex(At("cb_show"))));
    launch->Switch = Form().Checked(At("cb_switch"));
  }

 private:
  std::vector<ControlDecl> Controls() const override {
    ControlDecl show = TabList("cb_show", "Visibility flag", kShowCommands);
    show.itemIndex = kShowNormal;
    ControlDecl verb = TabList("cb_oper", "Action type", kVerbs);
    verb.itemIndex = 0;
    return {verb,
            TabControl(ControlKind::kEdit, "e_path", "File or folder"),
            SmallButton("b_path", "..."),
            TabControl(ControlKind::kEdit, "e_parm", "Command line"),
            TabControl(ControlKind::kEdit, "e_fold", "Work folder"),
            show,
            SmallButton("b_showinfo", "?"),
            TabControl(ControlKind::kButton, "b_vars", "System folders"),
            TabControl(ControlKind::kCheckBox, "cb_switch", "Do not launch second program copy")};
  }

  void OnControl(size_t index, WORD code) override {
    if (code != BN_CLICKED) return;
    const std::string& name = Form().Name(index);
    if (name == "b_path") {
      if (const auto file = ChooseFile(Form().Text(At("e_path"))))
        Form().SetText(At("e_path"), *file);
    } else if (name == "b_showinfo") {
      ShowMessageBox(GetLangStr("InfoShow",
                                "How the program's window is shown when it starts:#13"
                                "SW_SHOWNORMAL - in its usual size and place, activated;#13"
                                "SW_SHOWMAXIMIZED / SW_SHOWMINIMIZED - maximized or minimized;#13"
                                "SW_HIDE - not shown at all (use with care);#13"
                                "SW_SHOWDEFAULT - as the program itself decides.#13"
                                "Many programs choose their own window state and ignore this."),
                     MessageDialogType::Information, MessageButtons::Ok);
    } else if (name == "b_vars") {
      ShowVariablesMenu();
    }
  }

  // The path variables as a menu under the button; the chosen one goes in at the path's caret.
  void ShowVariablesMenu() {
    std::vector<std::string> entries;
    for (std::string_view name : FolderVariableNames()) entries.emplace_back(name);
    entries.emplace_back(kInputVariable);
    HMENU menu = CreatePopupMenu();
    if (!menu) return;
    for (size_t i = 0; i < entries.size(); ++i)
      AppendMenuW(menu, MF_STRING, i + 1, Utf8ToWide(entries[i]).c_str());
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    const UINT help = static_cast<UINT>(entries.size() + 1);
    AppendMenuW(menu, MF_STRING | (Context().showHelp ? 0 : MF_GRAYED), help,
                Utf8ToWide(GetLangStr("ButtonHlp", "Help")).c_str());
    RECT button = {};
    GetWindowRect(ControlHandle("b_vars"), &button);
    const UINT chosen =
        static_cast<UINT>(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN,
                                         button.left, button.bottom, 0, Handle(), nullptr));
    DestroyMenu(menu);
    if (chosen == help) {
      Context().showHelp(kVariablesHelp);
    } else if (chosen >= 1 && chosen <= entries.size()) {
      InsertIntoPath(entries[chosen - 1]);
    }
  }

  // Puts `text` in place of the path's selection (at its caret when nothing is selected).
  void InsertIntoPath(const std::string& text) {
    HWND path = ControlHandle("e_path");
    SendMessageW(path, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(Utf8ToWide(text).c_str()));
    SetFocus(path);
  }
};

}  // namespace

std::unique_ptr<ParamTab> CreateLaunchTab() {
  return std::make_unique<LaunchTab>();
}

}  // namespace tavion
