#pragma once
// The translation of a form: its declared table in English, its controls' texts looked up by
// name in the form's section of the current language. Portable; the form runtime
// (forms/form_win.h) applies it when it creates a form and again after a language change.

#include <span>
#include <string>
#include <string_view>

#include "settings/form.h"

namespace tavion {

// The tag of a form whose styled labels are grey with a colon (the key-remap dialog); on other
// forms they are bold and blue.
inline constexpr int kQuietLabelsFormTag = 55;

// How a form is translated.
struct FormLanguage {
  std::string section;  // the language section ("Fr1", "Fr2", ...); empty: never translated
  int formTag = 0;
  // Texts the form takes from other sections after its own (the main window's extras); null
  // for none.
  void (*extras)(std::span<ControlDecl> table) = nullptr;
};

// The language key of a control: its name without a leading "OPT_" (in any case).
std::string_view LanguageKey(std::string_view name);

// The caption part of a language text (before its first "|", the whole text without one) and
// its hint part (after the first "|", the whole text without one).
std::string_view CaptionPart(std::string_view text);
std::string_view HintPart(std::string_view text);

// Translates `table` in place, control by control in table order: caption (the hint part for
// memos' texts and the labels of edit fields), hint (key + ".hint"), list columns (key +
// ".Col" + n) and combo box items (key + ".Item" + n) when the control's own key is absent,
// radio group items always (entries that are values never), then the standard texts and label looks
// of the controls' tags; every
// "#13" in a text becomes CR LF. A missing key leaves the text as it was. Then the extras.
void ApplyLanguage(std::span<ControlDecl> table, const FormLanguage& language);

}  // namespace tavion
