#pragma once
// The decisions of the action editor (TFr2): the entry a new action starts with, the name that
// follows a change of code or of the replacement key, the checks OK runs on the entered name and
// key, and where a new entry goes in the tree and what is written back. Portable;
// action_editor_win.h is the dialog.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "keys/hotkey.h"

namespace tavion {

class ActionCatalogue;
class ActionTree;
class TAction;
class TActionsList;

// How the editor was opened for a new entry: "Add", "Add action for macros", "Add folder".
enum class EditorStartMode : uint8_t { kNormal = 0, kMacro = 1, kFolder = 2 };

// The code a new entry starts with: the catalogue's second entry, "mc_play", or the folder's
// empty code.
std::string StartCode(EditorStartMode mode, const ActionCatalogue& catalogue);

// Whether an entry of `code` takes a hot key: every entry but a folder.
bool TakesHotKey(std::string_view code);

// The name after the code became `code`: its display name while the name is empty or has not been
// edited by the user; nullopt keeps the name.
std::optional<std::string> NameAfterCodeChange(std::string_view name, bool nameEdited,
                                               std::string_view code,
                                               const ActionCatalogue& catalogue);

// The name of an unedited new "ke_keyz" action after its replacement key became `keyText`: the
// name up to its first " (", then " (", the key text without blanks, and ")".
std::string NameAfterReplacementKey(std::string_view name, std::string_view keyText);

// What OK checks of the main options.
struct EditorEntry {
  std::string name;
  bool keyShown = false;  // the hot-key frame is visible: the entry needs a key
  TActionHKey key;
};

// The control a failed check points at.
enum class EditorField : uint8_t { kName, kKey };

struct EditorCheckFailure {
  std::string message;
  EditorField field = EditorField::kName;
};

// How the checks of the main options ask the user.
struct EditorCheckContext {
  bool severalActionsOnOneKey = false;  // Opt_SemiKeyAc
  // The text of another action's key, for the messages.
  std::function<std::string(const TActionHKey& key)> keyText;
  // Asks a Yes/No question; true for Yes. Null answers No.
  std::function<bool(const std::string& question)> askYesNo;
};

// Whether two hot keys are the same: the same input mode, and for an HID key the same text and
// modifiers, for a normal key SameHotKey.
bool SameActionKey(const TActionHKey& a, const TActionHKey& b);

// The checks of the main options in order: a name, a key when the frame is shown, then for every
// node but `edited` a name of its own and, while `conflictAccepted` is false, a key of its own. A
// used key is refused, or with several actions on one key asked about once: Yes sets
// `conflictAccepted` and the rest of the tree is no longer compared by key.
std::optional<EditorCheckFailure> CheckEditorEntry(const EditorEntry& entry, const ActionTree& tree,
                                                   std::optional<std::size_t> edited,
                                                   const EditorCheckContext& context,
                                                   bool& conflictAccepted);

// The parent of a new node: the selected node when it is a folder, else the selected node's
// parent; nullopt (top level) when nothing is selected or the selected node has no parent.
std::optional<std::size_t> NewNodeParent(const ActionTree& tree,
                                         std::optional<std::size_t> selected);

// Adds a new node named `name` with a new action as the last child of NewNodeParent, the action
// at the node's place in `list`; returns the node's index.
std::size_t AddEditorNode(ActionTree& tree, TActionsList& list, std::optional<std::size_t> selected,
                          const std::string& name);

// Writes the main options onto node `node`'s action and the node's text: the name, the code
// (which makes a new parameter object when it changed) and the hot key. Marks the list modified.
// Returns the action, or null for an index outside the tree.
TAction* WriteEditorEntry(ActionTree& tree, TActionsList& list, std::size_t node,
                          const std::string& name, const std::string& code, const TActionHKey& key);

}  // namespace tavion
