#pragma once
// The main window's language: section "Fr1" and the extras its pages take from other
// sections. Portable.

#include <span>

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

}  // namespace tavion
