#pragma once
// The tray menu's decisions: the "Actions" submenu made from the action tree and when it is made
// again, and the language icons of the "Language" submenu. Portable; main_window_tray_win.cpp
// builds the menus.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace tavion {

class ActionTree;

// One entry of the "Actions" submenu: a node of the tree.
struct TrayActionEntry {
  std::string text;
  size_t treeIndex = 0;
  std::string code;                       // empty for a folder: choosing it does nothing
  std::vector<TrayActionEntry> children;  // a node with children is a submenu
};

// The top-level nodes of `tree` with their descendants.
std::vector<TrayActionEntry> TrayActionEntries(const ActionTree& tree);

// When the "Actions" submenu is made: once while it is empty, again only after the list was
// saved since it was last made.
class TrayActionsRule {
 public:
  void ListSaved() { savedSinceBuild_ = true; }
  void Built() { savedSinceBuild_ = false; }
  bool NeedsBuild(bool menuEmpty) const { return menuEmpty || savedSinceBuild_; }

 private:
  bool savedSinceBuild_ = false;
};

// The icon sets present among `fileNames` (names in the resource folder): every n of a file
// "l<n>_1049.ico" (case-insensitive), ascending, each once.
std::vector<int> LanguageIconSets(std::span<const std::string> fileNames);

// The tray's language icon file of set `set` for the keyboard language `languageId`: the set's
// file for the language when `exists` says it is there, else the set's "Default" file when it is
// there, else empty.
std::string TrayLanguageIconFile(uint8_t set, uint16_t languageId,
                                 const std::function<bool(const std::string& name)>& exists);

}  // namespace tavion
