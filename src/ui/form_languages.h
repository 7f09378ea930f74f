#pragma once
// Where each form's texts come from: the main window's language (section "Fr1" and the extras
// it takes from other sections), and every form table reachable by its section, for the
// language files and their checks. Portable.

#include <span>
#include <string_view>
#include <vector>

#include "lang/form_language.h"

namespace tavion {

// The texts the main window's pages take beyond section "Fr1": "Begin play on start" and "Set
// focus to winamp, only then hide" (TabMain, caption and hint), "Show extra information in
// notification" (TabOSD, caption and hint) and the animation items (TabOSD Anim1, Anim2), the
// hint of "Enable shortcuts with mouse buttons" (Fr1 MiceKeyAc_Hint), and the plug-in page's
// "Options", "Info" and "Actions" (TabPlugIns). A control the table lacks is passed over.
void ApplyMainWindowExtras(std::span<ControlDecl> table);

// The language of the main window's pages: "Fr1" with the extras.
FormLanguage MainWindowLanguage();

// A form whose table is declared in portable code.
struct TranslatedForm {
  std::string_view name;  // for people: "Main options"
  std::string_view section;
  int formTag = 0;
  std::vector<ControlDecl> (*table)();  // its controls, English as designed
};

// The main window's option pages.
std::span<const TranslatedForm> TranslatedForms();

}  // namespace tavion
