#include "ui/macro_editor_win.h"

namespace tavion {

std::optional<std::string> ShowMacroEditor(const MacroEditorContext& /*context*/,
                                           const std::string& /*name*/) {
  return std::nullopt;  // interim: the editor's form arrives next
}

}  // namespace tavion
