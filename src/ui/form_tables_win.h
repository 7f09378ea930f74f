#pragma once
// The declared controls of the forms built in Win32 code, in English as designed, with the
// language each is translated by; and the list of every translated form of the program, for the
// language files' key check.
#include <span>
#include <string_view>
#include <vector>

#include "lang/form_language.h"
#include "settings/form.h"

namespace tavion {

// The row of buttons below the main window's pages, in the current language (not translated
// as a form: each caption is looked up as it is made).
std::vector<ControlDecl> MainWindowButtons();
std::vector<ControlDecl> HotKeyFrameControls();
FormLanguage HotKeyFrameLanguage();
std::vector<ControlDecl> ShellKeysPageControls();
std::vector<ControlDecl> KeyRemapDialogControls();
FormLanguage KeyRemapDialogLanguage();
std::vector<ControlDecl> MacroEditorMainControls();
std::vector<ControlDecl> MacroEditorExtraControls();
FormLanguage MacroEditorLanguage();
std::vector<ControlDecl> KeyNameDialogControls();
std::vector<ControlDecl> PluginsPageControls();
FormLanguage PluginsPageLanguage();
std::vector<ControlDecl> MacrosPageControls();
FormLanguage MacrosPageLanguage();
std::vector<ControlDecl> ExecOptionsBarControls();
FormLanguage ExecOptionsLanguage();
std::vector<ControlDecl> ActionEditorControls();
// The window picker's tip differs with the mask mode.
std::vector<ControlDecl> WindowPickerControls(bool maskMode);
FormLanguage WindowPickerLanguage();
std::vector<ControlDecl> ShellKeyDialogControls();
std::vector<ControlDecl> CustomKeyDialogControls();
std::vector<ControlDecl> KeyNamesPageControls();
std::vector<ControlDecl> KeyboardLayoutPageControls();

// A translated form: a name for people, its English table and its language. `source` is the
// file that creates it, so a check can tell a form nobody listed.
struct TranslatedFormWin {
  std::string_view name;
  std::string_view source;
  std::vector<ControlDecl> (*table)();
  FormLanguage (*language)();
};

// Every form of the program that is translated, the main window's pages included.
std::span<const TranslatedFormWin> AllTranslatedForms();

}  // namespace tavion
