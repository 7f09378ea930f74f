#include "ui/main_options_page_win.h"

#include "base/utf_win.h"
#include "forms/message_box_win.h"
#include "lang/lang_win.h"
#include "settings/settings.h"
#include "ui/form_page_win.h"
#include "ui/main_options_page.h"

namespace tavion {
namespace {

// The base names of the language files in `folder`, in the order the listing returns them.
std::vector<std::string> LanguageFiles(const std::wstring& folder) {
  std::vector<std::string> names;
  if (folder.empty()) return names;
  WIN32_FIND_DATAW found = {};
  const HANDLE search = FindFirstFileW((folder + L"\\*.lng").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    std::wstring name = found.cFileName;
    names.push_back(WideToUtf8(name.substr(0, name.size() - 4)));
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return names;
}

// FillLanguageList: the selector's entries, "English" first; returns them.
std::vector<std::string> FillLanguageList(HWND selector, const std::wstring& folder) {
  const std::vector<std::string> choices = LanguageChoices(LanguageFiles(folder));
  SendMessageW(selector, CB_RESETCONTENT, 0, 0);
  for (const std::string& choice : choices)
    SendMessageW(selector, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Utf8ToWide(choice).c_str()));
  return choices;
}

class MainOptionsPage final : public FormPage {
 public:
  std::wstring Title() const override { return GetLangStrW("PageMainOptions", "Main options"); }

 protected:
  std::vector<ControlDecl> Controls() const override { return MainOptionsPageControls(); }

  void Created() override {
    Form().SetChecked(At("cb_sound"), Settings().Beep_Enab);
    const std::vector<std::string> choices =
        FillLanguageList(ControlHandle("cb_lang"), Services().languageFolder);
    const int chosen = LanguageChoiceIndex(choices, Settings().Language);
    // A language without its file (or "nil" of a first start without one) is English.
    if (choices[static_cast<size_t>(chosen)] != Settings().Language)
      Settings().Language = choices.front();
    Form().SetItemIndex(At("cb_lang"), chosen);
    languages_ = choices;
  }

  void OnControl(size_t index, WORD code) override {
    const std::string& name = Form().Name(index);
    if (code == BN_CLICKED && name == "b_psave" && Services().saveSettingsFile) {
      Services().saveSettingsFile();
      return;
    }
    if (code == BN_CLICKED && name == "b_pload" && Services().loadSettingsFile) {
      Services().loadSettingsFile();
      return;
    }
    if (code == CBN_SELCHANGE && name == "cb_lang") {
      const int chosen = Form().ItemIndex(index);
      if (chosen >= 0 && static_cast<size_t>(chosen) < languages_.size() &&
          Services().changeLanguage)
        Services().changeLanguage(languages_[static_cast<size_t>(chosen)]);
      // The selector shows the language in force, whatever came of the choice.
      Form().SetItemIndex(index, LanguageChoiceIndex(languages_, Settings().Language));
      return;
    }
    if (name == "Opt_Hid_Keyboard" && code == BN_CLICKED && Form().Checked(index) &&
        ShowMessageBox(GetLangStr("QuestHidKeyboard",
                                  "Allowing this option you can't use usual keyboard keys,\r"
                                  "only HID keys will be allowed for a keyboard. Continue?\r"
                                  "(This option need programm restart)"),
                       MessageDialogType::Warning, MessageButtons::YesNo) != IDYES) {
      Form().SetChecked(index, false);
    }
    FormPage::OnControl(index, code);
  }

 private:
  std::vector<std::string> languages_;  // the selector's entries
};

}  // namespace

std::unique_ptr<Page> CreateMainOptionsPage() {
  return std::make_unique<MainOptionsPage>();
}

}  // namespace tavion
