#pragma once
// The decisions of the "HotKeys Actions" page: which commands are offered, where a dragged node
// goes, what a node's tip says, which nodes a filter leaves, how the details view groups the
// actions. Portable; actions_page_win.h shows them.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "actions/action_tree.h"

namespace tavion {

class TAction;
class TActionsList;

// The commands of the page and whether each can run now.
struct ActionCommands {
  bool add = false;       // "Add", "Add folder": need the action editor
  bool edit = false;      // "Edit": the editor and a selected entry
  bool remove = false;    // "Delete": a selected entry
  bool run = false;       // "Run action": a selected action, not a folder
  bool toggle = false;    // "Enable/Disable action": a selected entry
  bool defaults = true;   // "Default"
  bool expandAll = true;  // "Expand/Collapse all tree"
};
ActionCommands EnabledActionCommands(const ActionTree& tree, std::optional<std::size_t> selected,
                                     bool editorAvailable);

// The "ErrorPlugin" message when `action` belongs to a plug-in whose file `pluginFileExists`
// does not find (the file named by its plug-in parameters, else by its code); nullopt when the
// editor may open it.
std::optional<std::string> EditRefusal(
    const TAction& action, const std::function<bool(std::string_view file)>& pluginFileExists);

// Where a drop point lies on the tree view.
enum class DropArea : uint8_t {
  kOutside,  // anywhere else (buttons, the right of a label): nothing happens
  kNode,     // a node's label or icon
  kIndent,   // a node's indent
  kEmpty,    // the empty area below the nodes
};

enum class AttachMode : uint8_t {
  kNone,
  kFirstChild,    // the target folder's first child
  kInsertBefore,  // in front of the target, at its depth
  kLastTopLevel,  // the last top-level node
  kSwap,          // the target moves in front of the dragged node
};

// How a node dropped on `target` (none in the empty area) attaches.
AttachMode DropAttachMode(const ActionTree& tree, std::size_t dragged,
                          std::optional<std::size_t> target, DropArea area);

// Moves `dragged` as DropAttachMode says and marks the list modified. Returns the dragged node's
// new index, or nullopt when nothing moved (no mode, a drop on the node itself or inside it).
std::optional<std::size_t> DropNode(ActionTree& tree, TActionsList& list, std::size_t dragged,
                                    std::optional<std::size_t> target, DropArea area);

// The text of a node's action key; null-safe callers pass HotKeyToText in the program.
using HotKeyTextOf = std::function<std::string(const TAction& action)>;

// The hover tip of node `index`: a folder's text, with " (n)" for its n direct children; an
// action's text, a line break, the catalogue name of its code and a line break when that name is
// another, and its hot-key text in parentheses. Empty outside the tree.
std::string NodeTipText(const ActionTree& tree, std::size_t index, const HotKeyTextOf& hotKeyText);

// Which nodes stay visible for the filter text: every node when it is empty; otherwise the
// nodes whose text or hot-key text holds it (letters compared without case), everything under a
// folder whose text holds it, and the folders above each such node.
std::vector<bool> FilterNodes(const ActionTree& tree, std::string_view filter,
                              const HotKeyTextOf& hotKeyText);

// The details view: one row per visible action that is no folder, grouped under its nearest
// folder ("Root" for actions outside any).
inline constexpr int kRootGroupId = 10000;
struct DetailsGroup {
  int id = kRootGroupId;  // DetailsGroupId of the folder
  std::string header;
  friend bool operator==(const DetailsGroup&, const DetailsGroup&) = default;
};
struct DetailsRow {
  std::size_t node = 0;
  int groupId = kRootGroupId;
  friend bool operator==(const DetailsRow&, const DetailsRow&) = default;
};
struct DetailsLayout {
  std::vector<DetailsGroup> groups;  // "Root" first, then the folders in tree order; only those
                                     // with rows
  std::vector<DetailsRow> rows;      // in tree order
};
// A folder's group is its tree index; from the root group's number on, one more, so that no
// folder shares the root's group.
int DetailsGroupId(std::size_t folder);
DetailsLayout BuildDetailsLayout(const ActionTree& tree, const std::vector<bool>& visible);

// The image of a node: 0 closed folder, 1 open folder, 2 and above the icon of the action's
// code (2 + its place in OsdIconFiles).
int NodeImage(const ActionTree::Node& node, bool expanded);
// The image of an action of code `code` (2 and above); a plug-in code of the current catalogue
// has its own, after the OsdIconFiles images, in catalogue order.
int CodeImage(std::string_view code);

// "Total sum of keys - %d" for the actions that are no folders, four blanks, and "You can move
// action by mouse".
std::string TotalKeysText(const ActionTree& tree);

// The view after `view` (0 tree, 1 details), wrapping; a stored value out of range counts as 0.
inline constexpr int kKeysViewCount = 2;
int KeysViewOf(int stored);
int NextKeysView(int view);

}  // namespace tavion
