#include "ui/main_options.h"

#include <algorithm>
#include <utility>

#include "lang/form_language.h"
#include "lang/lang.h"
#include "ui/about_page.h"
#include "ui/main_options_page.h"
#include "ui/osd_page.h"
#include "ui/player_page.h"

namespace tavion {
namespace {

ControlDecl Named(ControlKind kind, std::string name, std::string_view english) {
  ControlDecl decl;
  decl.caption = english;
  decl.name = std::move(name);
  decl.kind = kind;
  return decl;
}

std::vector<ControlDecl> BuildMainOptionControls() {
  std::vector<ControlDecl> table;
  for (auto* page : {&AboutPageControls, &MainOptionsPageControls, &PlayerPageControls,
                     &OsdPageControls, &NavigationPanelControls}) {
    std::vector<ControlDecl> controls = page();
    for (ControlDecl& decl : controls) table.push_back(std::move(decl));
  }
  return table;
}

}  // namespace

std::string LangCaption(std::string_view name, std::string_view english, std::string_view section) {
  return std::string(CaptionPart(GetLangStr(LanguageKey(name), english, section)));
}

ControlDecl CheckBox(std::string name, std::string_view english, bool checked,
                     std::string helpKeyword) {
  ControlDecl decl = Named(ControlKind::kCheckBox, std::move(name), english);
  decl.checked = checked;
  decl.helpKeyword = std::move(helpKeyword);
  return decl;
}

ControlDecl Choice(ControlKind kind, std::string name, std::string_view english,
                   const std::vector<std::string>& items, int itemIndex, std::string helpKeyword) {
  ControlDecl decl = Named(kind, std::move(name), english);
  decl.items = items;
  decl.itemIndex = itemIndex;
  decl.helpKeyword = std::move(helpKeyword);
  return decl;
}

ControlDecl Edit(std::string name, std::string_view english, std::string text) {
  ControlDecl decl = Named(ControlKind::kEdit, std::move(name), english);
  decl.text = std::move(text);
  return decl;
}

ControlDecl SpinEdit(std::string name, std::string_view english, int minValue, int maxValue,
                     int value) {
  ControlDecl decl = Named(ControlKind::kSpinEdit, std::move(name), english);
  decl.minValue = minValue;
  decl.maxValue = maxValue;
  decl.itemIndex = value;
  return decl;
}

ControlDecl Plain(ControlKind kind, std::string name, std::string_view english) {
  return Named(kind, std::move(name), english);
}

ControlDecl In(std::string_view group, ControlDecl decl) {
  decl.group = group;
  return decl;
}

ControlDecl Beside(ControlDecl decl) {
  decl.beside = true;
  return decl;
}

ControlDecl ValueItems(ControlDecl decl) {
  decl.valueItems = true;
  return decl;
}

std::vector<ControlDecl> NavigationPanelControls() {
  std::vector<ControlDecl> panels;
  for (const auto& [name, caption] :
       {std::pair{"Opt_ip0", "Help"}, std::pair{"Opt_ip1", "Options - Tavion"},
        std::pair{"Opt_ip2", "Options - Windows"}}) {
    ControlDecl panel = Named(ControlKind::kInfoPanel, name, caption);
    panel.expanded = true;
    panels.push_back(std::move(panel));
  }
  return panels;
}

std::span<const ControlDecl> MainOptionControls() {
  static const std::vector<ControlDecl> table = BuildMainOptionControls();
  return table;
}

}  // namespace tavion
