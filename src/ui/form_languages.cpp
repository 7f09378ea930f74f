#include "ui/form_languages.h"

#include <array>
#include <string>

#include "lang/lang.h"

namespace tavion {
namespace {

enum class ExtraTarget : uint8_t {
  kCaption,
  kCaptionAndHint,  // the caption part and the hint part of the text
  kHint,            // the hint part
  kItem,            // item `item` of a choice
};

struct Extra {
  std::string_view section;
  std::string_view key;
  std::string_view control;
  ExtraTarget target;
  std::size_t item = 0;
};

constexpr std::array kExtras = {
    Extra{"Fr1", "MiceKeyAc_Hint", "Opt_MiceKeyAc", ExtraTarget::kHint},
    Extra{"TabMain", "StartPlay", "Opt_Auto_Play", ExtraTarget::kCaptionAndHint},
    Extra{"TabMain", "Focus", "Opt_SetFoc_SH", ExtraTarget::kCaptionAndHint},
    Extra{"TabOSD", "ShowExtra", "Opt_Desk_TextEx", ExtraTarget::kCaptionAndHint},
    Extra{"TabOSD", "Anim1", "OPT_DESKANIM", ExtraTarget::kItem, 0},
    Extra{"TabOSD", "Anim2", "OPT_DESKANIM", ExtraTarget::kItem, 1},
    Extra{"TabPlugIns", "ButtonOpt", "b_plg_opt", ExtraTarget::kCaption},
    Extra{"TabPlugIns", "ButtonInfo", "b_plg_info", ExtraTarget::kCaption},
    Extra{"TabPlugIns", "ButtonActions", "b_plg_act", ExtraTarget::kCaption},
};

}  // namespace

void ApplyMainWindowExtras(std::span<ControlDecl> table) {
  for (const Extra& extra : kExtras) {
    if (!FindLangText(extra.section, extra.key)) continue;
    const std::string text = GetLangStr(extra.key, {}, extra.section);
    for (ControlDecl& decl : table) {
      if (decl.name != extra.control) continue;
      switch (extra.target) {
        case ExtraTarget::kCaption:
          decl.caption = text;
          break;
        case ExtraTarget::kCaptionAndHint:
          decl.caption = CaptionPart(text);
          decl.hint = HintPart(text);
          break;
        case ExtraTarget::kHint:
          decl.hint = HintPart(text);
          break;
        case ExtraTarget::kItem:
          if (extra.item < decl.items.size()) decl.items[extra.item] = text;
          break;
      }
    }
  }
}

FormLanguage MainWindowLanguage() {
  return {"Fr1", 0, &ApplyMainWindowExtras};
}

}  // namespace tavion
