#pragma once
// The option controls of the main window's pages, and the builders the pages' tables are made
// with. Portable.

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "settings/form.h"

namespace tavion {

// Prefix of the main window's persisted option controls, as SyncOptionControls takes it.
inline constexpr char kMainOptionPrefix[] = "OPT_";

// Every control of the main window's option pages (About, Main options, Media player manage,
// OnScreen display) and of its navigation panels, in page order with their designed states:
// what the settings load and save by name.
std::span<const ControlDecl> MainOptionControls();

// The three navigation panels ("Help", "Options - Tavion", "Options - Windows"), whose
// expanded states are stored as ip0..ip2.
std::vector<ControlDecl> NavigationPanelControls();

// Builders of table rows, in English: the form runtime translates them.
// The caption part of the text of control `name` in `section` (under its language key, without a
// leading "OPT_"), `english` when there is none.
std::string LangCaption(std::string_view name, std::string_view english, std::string_view section);
ControlDecl CheckBox(std::string name, std::string_view english, bool checked,
                     std::string helpKeyword = {});
ControlDecl Choice(ControlKind kind, std::string name, std::string_view english,
                   const std::vector<std::string>& items, int itemIndex,
                   std::string helpKeyword = {});
ControlDecl Edit(std::string name, std::string_view english, std::string text);
ControlDecl SpinEdit(std::string name, std::string_view english, int minValue, int maxValue,
                     int value);
// Group boxes, push buttons and labels; kGroup, kButton or kLabel.
ControlDecl Plain(ControlKind kind, std::string name, std::string_view english);
// `decl` inside the group box named `group`; `decl` in the row of the control before it.
ControlDecl In(std::string_view group, ControlDecl decl);
ControlDecl Beside(ControlDecl decl);
// `decl` with entries that are values, the same in every language (product names, skins).
ControlDecl ValueItems(ControlDecl decl);

}  // namespace tavion
