#include "ui/actions_page.h"

#include <algorithm>

#include "actions/action.h"
#include "actions/catalogue.h"
#include "base/fold_case.h"
#include "lang/lang.h"
#include "osd/osd_icons.h"

namespace tavion {
namespace {

bool Contains(std::string_view text, const std::u32string& foldedPart) {
  return FoldCase(text).find(foldedPart) != std::u32string::npos;
}

// The plug-in file named by field 1 of a plug-in code ("plug", 0x02 "1" file, 0x02 "2" name).
std::string PluginFileOfCode(std::string_view code) {
  if (!code.starts_with("plug")) return {};
  const std::size_t start = code.find(
      "\x02"
      "1");
  if (start == std::string_view::npos) return {};
  const std::string_view rest = code.substr(start + 2);
  return std::string(rest.substr(0, rest.find('\x02')));
}

bool IsActionNode(const ActionTree& tree, std::size_t index) {
  const ActionTree::Node* node = tree.NodeAt(index);
  return node && node->action && !ActionTree::IsFolder(node);
}

}  // namespace

ActionCommands EnabledActionCommands(const ActionTree& tree, std::optional<std::size_t> selected,
                                     bool editorAvailable) {
  const bool any = selected && tree.NodeAt(*selected) != nullptr;
  ActionCommands commands;
  commands.add = editorAvailable;
  commands.edit = editorAvailable && any;
  commands.remove = any;
  commands.run = any && IsActionNode(tree, *selected);
  commands.toggle = any && tree.ActionByIndex(*selected) != nullptr;
  return commands;
}

std::optional<std::string> EditRefusal(
    const TAction& action, const std::function<bool(std::string_view file)>& pluginFileExists) {
  std::string file;
  if (const auto* plug = action.ParamsAs<TActionParamsPlug>()) file = plug->LibraryFile;
  if (file.empty()) file = PluginFileOfCode(action.Exec());
  if (file.empty() || pluginFileExists(file)) return std::nullopt;
  return FormatLangText(GetLangStr("ErrorPlugin",
                                   "Can't find handler for action '%s', may be you delete plugin?"),
                        {action.Name()}) +
         "\r\nExInfo: " + file;
}

AttachMode DropAttachMode(const ActionTree& tree, std::size_t dragged,
                          std::optional<std::size_t> target, DropArea area) {
  const ActionTree::Node* moving = tree.NodeAt(dragged);
  if (!moving || area == DropArea::kOutside) return AttachMode::kNone;
  if (area == DropArea::kEmpty) return AttachMode::kLastTopLevel;
  const ActionTree::Node* onto = target ? tree.NodeAt(*target) : nullptr;
  // Nothing goes onto itself or into its own subtree.
  if (!onto || (*target >= dragged && *target < tree.SubtreeEnd(dragged))) return AttachMode::kNone;
  const bool sameDepth = onto->depth == moving->depth;
  // The dragged node directly above its next sibling, an action: the two change places.
  if (sameDepth && onto->parent == moving->parent && tree.SubtreeEnd(dragged) == *target &&
      IsActionNode(tree, *target)) {
    return AttachMode::kSwap;
  }
  if (area == DropArea::kNode && sameDepth && ActionTree::IsFolder(onto))
    return AttachMode::kFirstChild;
  return AttachMode::kInsertBefore;
}

std::optional<std::size_t> DropNode(ActionTree& tree, TActionsList& list, std::size_t dragged,
                                    std::optional<std::size_t> target, DropArea area) {
  const AttachMode mode = DropAttachMode(tree, dragged, target, area);
  if (mode == AttachMode::kNone) return std::nullopt;
  const int depth = tree.NodeAt(dragged)->depth;
  std::optional<std::size_t> moved;
  switch (mode) {
    case AttachMode::kNone:
      break;
    case AttachMode::kLastTopLevel:
      moved = tree.MoveNode(dragged, tree.Count(), 0, list);
      break;
    case AttachMode::kFirstChild:
      moved = tree.MoveNode(dragged, *target + 1, depth + 1, list);
      break;
    case AttachMode::kInsertBefore:
      moved = tree.MoveNode(dragged, *target, tree.NodeAt(*target)->depth, list);
      break;
    case AttachMode::kSwap: {
      // The target goes up in front of the dragged node, which follows it.
      const std::size_t targetNodes = tree.SubtreeEnd(*target) - *target;
      if (tree.MoveNode(*target, dragged, depth, list)) moved = dragged + targetNodes;
      break;
    }
  }
  if (moved) list.Modified = true;
  return moved;
}

std::string NodeTipText(const ActionTree& tree, std::size_t index, const HotKeyTextOf& hotKeyText) {
  const ActionTree::Node* node = tree.NodeAt(index);
  if (!node) return {};
  if (!IsActionNode(tree, index)) {
    const std::size_t children = tree.Children(index).size();
    return children == 0 ? node->text : node->text + " (" + std::to_string(children) + ")";
  }
  std::string tip = node->text + "\r\n";
  const std::string name = FindCatalogueEntry(node->action->Exec()).displayName;
  if (name != node->text) tip += name + "\r\n";
  return tip + "(" + hotKeyText(*node->action) + ")";
}

std::vector<bool> FilterNodes(const ActionTree& tree, std::string_view filter,
                              const HotKeyTextOf& hotKeyText) {
  std::vector<bool> visible(tree.Count(), filter.empty());
  if (filter.empty()) return visible;
  const std::u32string part = FoldCase(filter);
  std::optional<int> shownFolderDepth;  // inside a folder whose text matched
  for (std::size_t i = 0; i < tree.Count(); ++i) {
    const ActionTree::Node* node = tree.NodeAt(i);
    if (shownFolderDepth && node->depth <= *shownFolderDepth) shownFolderDepth.reset();
    bool shown = shownFolderDepth.has_value() || Contains(node->text, part);
    if (!shown && IsActionNode(tree, i)) shown = Contains(hotKeyText(*node->action), part);
    if (!shown) continue;
    if (!shownFolderDepth && ActionTree::IsFolder(node)) shownFolderDepth = node->depth;
    visible[i] = true;
    // Up to the first ancestor already shown: each is marked once.
    for (auto up = node->parent; up && !visible[*up]; up = tree.NodeAt(*up)->parent)
      visible[*up] = true;
  }
  return visible;
}

int DetailsGroupId(std::size_t folder) {
  const auto id = static_cast<int>(std::min<std::size_t>(folder, 0x7FFFFFFE));
  return id >= kRootGroupId ? id + 1 : id;
}

DetailsLayout BuildDetailsLayout(const ActionTree& tree, const std::vector<bool>& visible) {
  DetailsLayout layout;
  bool rootRows = false;
  std::vector<std::size_t> foldersWithRows;
  std::vector<bool> counted(tree.Count(), false);
  for (std::size_t i = 0; i < tree.Count() && i < visible.size(); ++i) {
    if (!visible[i] || !IsActionNode(tree, i)) continue;
    auto folder = tree.NodeAt(i)->parent;
    while (folder && !ActionTree::IsFolder(tree.NodeAt(*folder)))
      folder = tree.NodeAt(*folder)->parent;
    if (!folder) {
      rootRows = true;
      layout.rows.push_back({i, kRootGroupId});
      continue;
    }
    if (!counted[*folder]) {
      counted[*folder] = true;
      foldersWithRows.push_back(*folder);
    }
    layout.rows.push_back({i, DetailsGroupId(*folder)});
  }
  if (rootRows) layout.groups.push_back({kRootGroupId, GetLangStr("GroupRoot", "Root", "Fr1")});
  std::sort(foldersWithRows.begin(), foldersWithRows.end());
  for (const std::size_t folder : foldersWithRows)
    layout.groups.push_back({DetailsGroupId(folder), tree.NodeAt(folder)->text});
  return layout;
}

int NodeImage(const ActionTree::Node& node, bool expanded) {
  if (ActionTree::IsFolder(&node) || !node.action) return expanded ? 1 : 0;
  return CodeImage(node.action->Exec());
}

int CodeImage(std::string_view code) {
  const auto files = OsdIconFiles();
  // Plug-in entries of the catalogue follow the built-in images, one each.
  const int position = code.starts_with("plug") ? CatalogueIndexOf(code) : -1;
  if (position >= ActionCatalogue::kBuiltInCount)
    return 2 + static_cast<int>(files.size()) + position - ActionCatalogue::kBuiltInCount;
  const std::string file = OsdIconFile(code, 0);
  const auto found = std::find(files.begin(), files.end(), file);
  return 2 + static_cast<int>(found - files.begin());
}

std::string TotalKeysText(const ActionTree& tree) {
  std::size_t keys = 0;
  for (std::size_t i = 0; i < tree.Count(); ++i)
    if (IsActionNode(tree, i)) ++keys;
  return FormatLangText(GetLangStr("AltogetherKeys", "Total sum of keys - %d"),
                        {std::to_string(keys)}) +
         "    " + GetLangStr("TipKeysMove", "You can move action by mouse");
}

int KeysViewOf(int stored) {
  return stored >= 0 && stored < kKeysViewCount ? stored : 0;
}

int NextKeysView(int view) {
  return (KeysViewOf(view) + 1) % kKeysViewCount;
}

}  // namespace tavion
