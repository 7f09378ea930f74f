#include "ui/action_editor.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "actions/action.h"
#include "actions/action_tree.h"
#include "actions/catalogue.h"
#include "fixtures/golden_profile.h"

namespace tavion {
namespace {

constexpr uint32_t kCtrlP = PackHotKey('P', 0, 0, kModCtrl);

// A tree written as words: leading dots give the depth, "name:code" an action, "name:code:K" an
// action on Ctrl+P, a bare name a folder.
class EditorTree : public testing::Test {
 protected:
  void Build(const std::string& words) {
    std::istringstream in(words);
    for (std::string word; in >> word;) {
      const std::size_t depth = word.find_first_not_of('.');
      std::vector<std::string> parts;
      std::istringstream fields(word.substr(depth));
      for (std::string part; std::getline(fields, part, ':');) parts.push_back(part);
      TAction& action = fixtures::AddAction(list, parts[0], parts.size() > 1 ? parts[1] : "");
      if (parts.size() > 2) action.Key0().SetHKey(kCtrlP);
      action.SetLevl(static_cast<uint8_t>(depth));
    }
    tree.Rebuild(list, [](TAction& action) { return action.Name(); });
  }

  // The tree in Build's notation, names only; the list's order and levels must be the tree's.
  std::string Shape() const {
    std::string shape;
    for (std::size_t i = 0; i < tree.Count(); ++i) {
      const ActionTree::Node* node = tree.NodeAt(i);
      EXPECT_EQ(list.At(i), node->action);
      EXPECT_EQ(node->action->Levl(), node->depth);
      if (i > 0) shape += ' ';
      shape += std::string(static_cast<std::size_t>(node->depth), '.') + node->text;
    }
    return shape;
  }

  TActionsList list;
  ActionTree tree;
};

TEST(ActionEditorNames, StartCodeAndNameRules) {
  const ActionCatalogue catalogue = ActionCatalogue::WithBuiltIns();
  EXPECT_EQ(StartCode(EditorStartMode::kNormal, catalogue), "srun");
  EXPECT_EQ(StartCode(EditorStartMode::kMacro, catalogue), "mc_play");
  EXPECT_EQ(StartCode(EditorStartMode::kFolder, catalogue), "");

  struct Row {
    const char* name;
    bool edited;
    std::optional<std::string> expected;
  } rows[] = {{"Open file/folder (ShellExec)", false, "Window - Scroll & Zoom"},
              {"", true, "Window - Scroll & Zoom"},
              {"My scroll", true, std::nullopt}};
  for (const Row& row : rows)
    EXPECT_EQ(NameAfterCodeChange(row.name, row.edited, "wm_scroll", catalogue), row.expected)
        << row.name;

  EXPECT_EQ(NameAfterReplacementKey("Replace pressed key", "Ctrl + Page Up"),
            "Replace pressed key (Ctrl+PageUp)");
  EXPECT_EQ(NameAfterReplacementKey("Replace pressed key (A) (B)", "F 1"),
            "Replace pressed key (F1)");
}

TEST(ActionEditorKeys, SameKeyByModeTextAndModifiers) {
  const auto hid = [](const char* text, uint8_t modifiers) {
    TActionHKey key(PackHotKey(0, 0, 0, modifiers));
    key.SetInputMode(TkeInputMode::keHid);
    key.SetKeyPolyglot(text);
    return key;
  };
  EXPECT_TRUE(SameActionKey(hid("Hid1", kModAlt), hid("Hid1", kModAlt)));
  EXPECT_FALSE(SameActionKey(hid("Hid1", kModAlt), hid("Hid1", kModCtrl)));
  EXPECT_FALSE(SameActionKey(hid("Hid1", 0), hid("Hid2", 0)));
  EXPECT_FALSE(SameActionKey(hid("", kModCtrl), TActionHKey(PackHotKey(0, 0, 0, kModCtrl))));
  EXPECT_TRUE(SameActionKey(TActionHKey(kCtrlP), TActionHKey(PackHotKey('P', 25, 0, kModCtrl))));
}

TEST_F(EditorTree, ChecksInOrderAndAsksOnce) {
  Build("Apps .Notepad:srun:K .Paint:srun:K Other:srun");
  const auto keyed = [](std::string name, uint32_t key, bool shown = true) {
    return EditorEntry{std::move(name), shown, TActionHKey(key)};
  };
  struct Row {
    const char* label;
    EditorEntry entry;
    std::optional<std::size_t> edited;
    bool several;
    bool answer;
    const char* message;  // nullptr: passes
    EditorField field;
    int questions;
    bool accepted;
  } rows[] = {
      {"no name",
       keyed("", kCtrlP),
       {},
       false,
       false,
       "Input action name",
       EditorField::kName,
       0,
       false},
      {"no key",
       keyed("New", 0),
       {},
       false,
       false,
       "Input key for action",
       EditorField::kKey,
       0,
       false},
      {"folder needs no key",
       keyed("New", 0, false),
       {},
       false,
       false,
       nullptr,
       EditorField::kName,
       0,
       false},
      {"folder's name taken",
       keyed("Apps", PackHotKey('Q', 0, 0, 0)),
       {},
       false,
       false,
       "Action with name 'Apps' already exists\rinput another name",
       EditorField::kName,
       0,
       false},
      {"own name kept", keyed("Notepad", kCtrlP), 1, false, false,
       "The key 'Ctrl + P' is already reserved for action 'Paint',\r(if you want to use several "
       "actions for one key\ryou must turn on option 'Enable several actions on one key')",
       EditorField::kKey, 0, false},
      {"used key refused",
       keyed("New", kCtrlP),
       {},
       false,
       false,
       "The key 'Ctrl + P' is already reserved for action 'Notepad',\r(if you want to use several "
       "actions for one key\ryou must turn on option 'Enable several actions on one key')",
       EditorField::kKey,
       0,
       false},
      {"used key, No", keyed("New", kCtrlP), {}, true, false, "", EditorField::kKey, 1, false},
      {"used key twice, Yes once",
       keyed("New", kCtrlP),
       {},
       true,
       true,
       nullptr,
       EditorField::kName,
       1,
       true},
      {"name after an accepted key",
       keyed("Other", kCtrlP),
       {},
       true,
       true,
       "Action with name 'Other' already exists\rinput another name",
       EditorField::kName,
       1,
       true},
  };
  for (const Row& row : rows) {
    int questions = 0;
    EditorCheckContext context;
    context.severalActionsOnOneKey = row.several;
    context.keyText = [](const TActionHKey&) { return std::string("Ctrl + P"); };
    context.askYesNo = [&](const std::string& question) {
      ++questions;
      EXPECT_NE(question.find("'Ctrl + P' is already reserved for action 'Notepad'"),
                std::string::npos);
      return row.answer;
    };
    bool accepted = false;
    const auto failure = CheckEditorEntry(row.entry, tree, row.edited, context, accepted);
    EXPECT_EQ(failure.has_value(), row.message != nullptr) << row.label;
    if (failure && row.message) {
      EXPECT_EQ(failure->message, row.message) << row.label;
      EXPECT_EQ(failure->field, row.field) << row.label;
    }
    EXPECT_EQ(questions, row.questions) << row.label;
    EXPECT_EQ(accepted, row.accepted) << row.label;
  }
  // Once accepted, a second OK asks no more.
  EditorCheckContext asking;
  asking.severalActionsOnOneKey = true;
  bool accepted = true;
  EXPECT_FALSE(CheckEditorEntry(keyed("New", kCtrlP), tree, {}, asking, accepted));
}

TEST_F(EditorTree, NewNodeGoesAfterTheSelection) {
  struct Row {
    std::optional<std::size_t> selected;
    const char* shape;
    std::size_t node;
  } rows[] = {
      {0, "Apps .Notepad .Paint .New Other Tail", 3},  // a folder: its last child
      {1, "Apps .Notepad .Paint .New Other Tail", 3},  // an action in a folder: its folder's
      {3, "Apps .Notepad .Paint Other .New Tail", 4},  // an empty folder
      {4, "Apps .Notepad .Paint Other Tail New", 5},   // a top-level action: the top level
      {std::nullopt, "Apps .Notepad .Paint Other Tail New", 5},
      {9, "Apps .Notepad .Paint Other Tail New", 5},
  };
  for (const Row& row : rows) {
    list.Clear();
    Build("Apps .Notepad:srun .Paint:srun Other Tail:srun");
    EXPECT_EQ(AddEditorNode(tree, list, row.selected, "New"), row.node);
    EXPECT_EQ(Shape(), row.shape);
    EXPECT_EQ(tree.Children(0).size(), row.node == 3 ? 3u : 2u);
  }
  // A node under a deeper folder sits one deeper than it.
  list.Clear();
  Build("Apps .Sub ..Deep:srun Other");
  EXPECT_EQ(AddEditorNode(tree, list, 2, "New"), 3u);
  EXPECT_EQ(Shape(), "Apps .Sub ..Deep ..New Other");
  EXPECT_EQ(tree.NodeAt(3)->parent, 1u);
  EXPECT_EQ(tree.NodeAt(4)->parent, std::nullopt);
}

TEST_F(EditorTree, WriteBackReplacesNameCodeKeyAndDropsOldParameters) {
  Build("Apps .Notepad:srun");
  tree.ActionByIndex(1)->ParamsAs<TActionParamsSExec>()->Path = "notepad.exe";
  TActionHKey key(kCtrlP);
  TAction* action = WriteEditorEntry(tree, list, 1, "Scroll", "wm_scroll", key);
  ASSERT_EQ(action, tree.ActionByIndex(1));
  EXPECT_TRUE(list.Modified);
  EXPECT_EQ(tree.NodeAt(1)->text, "Scroll");
  EXPECT_EQ(action->Name(), "Scroll");
  EXPECT_EQ(action->Key0().HKey(), kCtrlP);
  EXPECT_EQ(action->ActionParamsMode(), TActionParamsMode::pmScroll);
  EXPECT_EQ(action->ParamsAs<TActionParamsSExec>(), nullptr);
  EXPECT_EQ(WriteEditorEntry(tree, list, 2, "x", "srun", key), nullptr);
}

}  // namespace
}  // namespace tavion
