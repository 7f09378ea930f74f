#include "lang/form_language.h"

#include <optional>

#include "lang/lang.h"

namespace tavion {
namespace {

// A form's text: "#13" becomes CR LF, which controls draw as a line break.
std::optional<std::string> FormText(std::string_view section, std::string_view key) {
  std::optional<std::string> text = FindLangText(section, key);
  if (!text) return text;
  std::string out;
  for (std::size_t i = 0; i < text->size(); ++i) {
    if (text->compare(i, 3, "#13") == 0) {
      out += "\r\n";
      i += 2;
    } else {
      out += (*text)[i];
    }
  }
  return out;
}

bool IsFieldWithLabel(ControlKind kind) {
  return kind == ControlKind::kEdit || kind == ControlKind::kComboBox ||
         kind == ControlKind::kSpinEdit || kind == ControlKind::kSlider;
}

void TranslateText(ControlDecl& decl, const std::string& text) {
  switch (decl.kind) {
    case ControlKind::kMemo:
      decl.text = HintPart(text);
      break;
    case ControlKind::kListView:
      break;
    default:
      if (!IsFieldWithLabel(decl.kind))
        decl.caption = CaptionPart(text);
      else if (!decl.caption.empty())
        decl.caption = HintPart(text);
      break;
  }
}

// Each entry n of `entries` from key + suffix + n, where the section has it.
void TranslateEntries(std::string_view section, const std::string& key, std::string_view suffix,
                      auto& entries, auto text) {
  for (std::size_t n = 0; n < entries.size(); ++n)
    if (auto found = FormText(section, key + std::string(suffix) + std::to_string(n)))
      text(entries[n]) = std::move(*found);
}

void StyleLabel(ControlDecl& decl, int formTag) {
  if (formTag != kQuietLabelsFormTag) {
    decl.look = LabelLook::kHeading;
    return;
  }
  decl.look = LabelLook::kQuiet;
  if (!decl.caption.empty() && decl.caption.back() != ':') decl.caption += ':';
}

void ApplyTag(ControlDecl& decl, int formTag) {
  struct Standard {
    int tag;
    const char* key;
    const char* english;
    bool hint;
  };
  static constexpr Standard kStandard[] = {
      {51, "Tip", "Tip", false},
      {53, "ButtonBrowse", "Browse...", false},
      {1001, "ButtonAdd", "Add", false},
      {1002, "ButtonEdt", "Edit", false},
      {1003, "ButtonDel", "Delete", false},
      {1004, "ButtonHlp", "Help", false},
      {1101, "ButtonDef", "Default", false},
      {1102, "ButtonRun", "Execute", false},
      {2001, "ButtonAdd", "Add", true},
      {2002, "ButtonEdt", "Edit", true},
      {2003, "ButtonDel", "Delete", true},
      {2004, "ButtonHlp", "Help", true},
      {3001, "StrKey", "Key", false},
  };
  for (const Standard& standard : kStandard) {
    if (standard.tag != decl.tag) continue;
    (standard.hint ? decl.hint : decl.caption) = GetLangStr(standard.key, standard.english);
  }
  if (decl.tag == 50 || decl.tag == 3001) StyleLabel(decl, formTag);
  if (decl.tag == 52) decl.look = LabelLook::kWarning;
  // Tag 6000 enables a control only from Windows XP on: the program needs XP anyway.
}

}  // namespace

std::string_view LanguageKey(std::string_view name) {
  constexpr std::string_view kPrefix = "OPT_";
  if (name.size() < kPrefix.size()) return name;
  for (std::size_t i = 0; i < kPrefix.size(); ++i) {
    const char c = name[i];
    if ((c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c) != kPrefix[i]) return name;
  }
  return name.substr(kPrefix.size());
}

std::string_view CaptionPart(std::string_view text) {
  return text.substr(0, text.find('|'));
}

std::string_view HintPart(std::string_view text) {
  const std::size_t bar = text.find('|');
  return bar == std::string_view::npos ? text : text.substr(bar + 1);
}

void ApplyLanguage(std::span<ControlDecl> table, const FormLanguage& language) {
  if (language.section.empty()) return;
  const std::string_view section = language.section;
  for (ControlDecl& decl : table) {
    if (decl.name.empty()) continue;
    const std::string key(LanguageKey(decl.name));
    const std::optional<std::string> text = FormText(section, key);
    if (text) {
      TranslateText(decl, *text);
    } else if (decl.kind == ControlKind::kListView) {
      TranslateEntries(section, key, ".Col", decl.columns,
                       [](ColumnDecl& column) -> std::string& { return column.caption; });
    } else if (decl.kind == ControlKind::kComboBox && !decl.valueItems) {
      TranslateEntries(section, key, ".Item", decl.items,
                       [](std::string& item) -> std::string& { return item; });
    }
    // A radio group's items always; so are those of a combo box with a label of its own, whose
    // key then names the label rather than the box.
    const bool labelledCombo =
        decl.kind == ControlKind::kComboBox && text.has_value() && !decl.caption.empty();
    if ((decl.kind == ControlKind::kRadioGroup || labelledCombo) && !decl.valueItems)
      TranslateEntries(section, key, ".Item", decl.items,
                       [](std::string& item) -> std::string& { return item; });
    if (std::optional<std::string> hint = FormText(section, key + ".hint")) decl.hint = *hint;
    if (decl.tag > 0) ApplyTag(decl, language.formTag);
  }
  if (language.extras) language.extras(table);
}

}  // namespace tavion
