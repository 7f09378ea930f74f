#include "ui/action_editor.h"

#include <algorithm>

#include "actions/action.h"
#include "actions/action_tree.h"
#include "actions/catalogue.h"
#include "lang/lang.h"
#include "ui/main_options.h"

namespace tavion {

std::string StartCode(EditorStartMode mode, const ActionCatalogue& catalogue) {
  switch (mode) {
    case EditorStartMode::kMacro:
      return "mc_play";
    case EditorStartMode::kFolder:
      return "";
    case EditorStartMode::kNormal:
      break;
  }
  return catalogue.Entry(1).code;
}

bool TakesHotKey(std::string_view code) {
  return !code.empty();
}

std::optional<std::string> NameAfterCodeChange(std::string_view name, bool nameEdited,
                                               std::string_view code,
                                               const ActionCatalogue& catalogue) {
  if (!name.empty() && nameEdited) return std::nullopt;
  return catalogue.Find(code).displayName;
}

std::string NameAfterReplacementKey(std::string_view name, std::string_view keyText) {
  std::string result(name.substr(0, name.find(" (")));
  result += " (";
  std::remove_copy(keyText.begin(), keyText.end(), std::back_inserter(result), ' ');
  return result + ")";
}

bool SameActionKey(const TActionHKey& a, const TActionHKey& b) {
  if (a.InputMode() != b.InputMode()) return false;
  if (a.InputMode() == TkeInputMode::keHid)
    return a.KeyPolyglot() == b.KeyPolyglot() && HotKeyByte(a.HKey(), 1) == HotKeyByte(b.HKey(), 1);
  return SameHotKey(a.HKey(), b.HKey());
}

namespace {

bool HasKey(const TActionHKey& key) {
  if (key.InputMode() == TkeInputMode::keHid)
    return !key.KeyPolyglot().empty() && key.KeyPolyglot() != "None";
  return HotKeyByte(key.HKey(), 2) != 0;
}

}  // namespace

std::optional<EditorCheckFailure> CheckEditorEntry(const EditorEntry& entry, const ActionTree& tree,
                                                   std::optional<std::size_t> edited,
                                                   const EditorCheckContext& context,
                                                   bool& conflictAccepted) {
  if (entry.name.empty())
    return EditorCheckFailure{GetLangStr("ErrorNoActionName", "Input action name", "Fr2"),
                              EditorField::kName};
  if (entry.keyShown && !HasKey(entry.key))
    return EditorCheckFailure{GetLangStr("ErrorWrongKey", "Input key for action", "Fr2"),
                              EditorField::kKey};
  const auto keyText = [&](const TActionHKey& key) {
    return context.keyText ? context.keyText(key) : std::string();
  };
  for (std::size_t i = 0; i < tree.Count(); ++i) {
    if (i == edited) continue;
    const ActionTree::Node* node = tree.NodeAt(i);
    if (node->text == entry.name)
      return EditorCheckFailure{
          FormatLangText(
              GetLangStr("ErrorActionExists",
                         "Action with name '%s' already exists#13input another name", "Fr2"),
              {entry.name}),
          EditorField::kName};
    const TAction* other = node->action;
    if (conflictAccepted || !entry.keyShown || !other || other->IsFolder() ||
        !SameActionKey(entry.key, other->Key0()))
      continue;
    const std::string key = keyText(entry.key);
    if (!context.severalActionsOnOneKey) {
      return EditorCheckFailure{
          FormatLangText(
              GetLangStr("ErrorKeyUsed",
                         "The key '%s' is already reserved for action '%s',#13(if you want to use "
                         "several actions for one key#13you must turn on option '%s')",
                         "Fr2"),
              {key, node->text,
               LangCaption("Opt_SemiKeyAc", "Enable several actions on one key", "Fr1")}),
          EditorField::kKey};
    }
    const std::string question = FormatLangText(
        GetLangStr("QuestMultiAction",
                   "The key '%s' is already reserved for action '%s',#13on the key press all "
                   "actions with same hotkey will be execute.#13Do you wish to continue?",
                   "Fr2"),
        {key, node->text});
    // No keeps the dialog open with nothing more to say.
    if (!context.askYesNo || !context.askYesNo(question))
      return EditorCheckFailure{std::string(), EditorField::kKey};
    conflictAccepted = true;
  }
  return std::nullopt;
}

std::optional<std::size_t> NewNodeParent(const ActionTree& tree,
                                         std::optional<std::size_t> selected) {
  const ActionTree::Node* node = selected ? tree.NodeAt(*selected) : nullptr;
  if (!node) return std::nullopt;
  if (ActionTree::IsFolder(node)) return selected;
  return node->parent;
}

std::size_t AddEditorNode(ActionTree& tree, TActionsList& list, std::optional<std::size_t> selected,
                          const std::string& name) {
  return tree.AddLastChild(NewNodeParent(tree, selected), name, list);
}

TAction* WriteEditorEntry(ActionTree& tree, TActionsList& list, std::size_t node,
                          const std::string& name, const std::string& code,
                          const TActionHKey& key) {
  TAction* action = tree.ActionByIndex(node);
  if (!action) return nullptr;
  tree.SetText(node, name);
  action->SetName(name);
  action->SetExec(code);
  static_cast<TActionHKey&>(action->Key0()) = key;
  list.Modified = true;
  return action;
}

}  // namespace tavion
