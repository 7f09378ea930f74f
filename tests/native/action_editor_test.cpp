#include "ui/action_editor.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "actions/action.h"
#include "actions/action_tree.h"
#include "actions/catalogue.h"
#include "fixtures/golden_profile.h"
#include "native/support/fake_language.h"

namespace tavion {
namespace {

constexpr uint32_t kCtrlP = PackHotKey('P', 0, 0, kModCtrl);

// A tree written as words: leading dots give the depth, "name:code" an action, "name:code:K" an
// action on Ctrl+P, a bare name a folder.
class EditorTree : public testing::Test {
 protected:
  void Build(const std::string& words) {
    list.Clear();
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
  EXPECT_EQ(StartCode(EditorStartMode::kFolder, catalogue), "");
  const std::optional<std::string> scroll = "Window - Scroll & Zoom";
  EXPECT_EQ(NameAfterCodeChange("Open file/folder (ShellExec)", false, "wm_scroll", catalogue),
            scroll);
  EXPECT_EQ(NameAfterCodeChange("", true, "wm_scroll", catalogue), scroll);
  EXPECT_EQ(NameAfterCodeChange("My scroll", true, "wm_scroll", catalogue), std::nullopt);
  EXPECT_EQ(NameAfterReplacementKey("Replace pressed key (A) (B)", "Ctrl + Page Up"),
            "Replace pressed key (Ctrl+PageUp)");
}

std::string Reserved(const std::string& owner) {
  return "The key 'Ctrl + P' is already reserved for action '" + owner +
         "',\r(if you want to use several actions for one key\ryou must turn on option 'Enable "
         "several actions on one key')";
}

std::string Taken(const std::string& name) {
  return "Action with name '" + name + "' already exists\rinput another name";
}

TEST_F(EditorTree, ChecksInOrderAndAsksOnce) {
  Build("Apps .Notepad:srun:K .Paint:srun:K Other:srun");
  // `several`: 0 refuses a used key, 1 asks and hears No, 2 asks and hears Yes.
  const struct {
    const char* name;
    uint32_t key;
    bool shown;
    std::optional<std::size_t> edited;
    int several;
    std::optional<std::string> message;  // none: passes
    EditorField field;
    int questions;
  } rows[] = {
      {"", kCtrlP, true, {}, 0, "Input action name", EditorField::kName, 0},
      {"New", 0, true, {}, 0, "Input key for action", EditorField::kKey, 0},
      {"New", 0, false, {}, 0, std::nullopt, EditorField::kName, 0},
      {"Apps", PackHotKey('Q', 0, 0, 0), true, {}, 0, Taken("Apps"), EditorField::kName, 0},
      {"Notepad", kCtrlP, true, 1, 0, Reserved("Paint"), EditorField::kKey, 0},
      {"New", kCtrlP, true, {}, 0, Reserved("Notepad"), EditorField::kKey, 0},
      {"New", kCtrlP, true, {}, 1, "", EditorField::kKey, 1},
      {"New", kCtrlP, true, {}, 2, std::nullopt, EditorField::kName, 1},
      {"Other", kCtrlP, true, {}, 2, Taken("Other"), EditorField::kName, 1},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.name) + " several " + std::to_string(row.several));
    int questions = 0;
    EditorCheckContext context;
    context.severalActionsOnOneKey = row.several > 0;
    context.keyText = [](const TActionHKey&) { return std::string("Ctrl + P"); };
    context.askYesNo = [&](const std::string& question) {
      ++questions;
      EXPECT_NE(question.find("'Ctrl + P' is already reserved for action 'Notepad'"),
                std::string::npos);
      return row.several == 2;
    };
    bool accepted = false;
    const auto failure = CheckEditorEntry({row.name, row.shown, TActionHKey(row.key)}, tree,
                                          row.edited, context, accepted);
    EXPECT_EQ(failure ? std::optional(std::tuple(failure->message, failure->field)) : std::nullopt,
              row.message ? std::optional(std::tuple(*row.message, row.field)) : std::nullopt);
    EXPECT_EQ(std::tuple(questions, accepted), std::tuple(row.questions, row.several == 2));
  }
  // Once accepted, a second OK asks no more.
  bool accepted = true;
  const EditorCheckContext several{true, {}, {}};
  EXPECT_FALSE(CheckEditorEntry({"New", true, TActionHKey(kCtrlP)}, tree, {}, several, accepted));
  // The refusal names the option by its caption in the language (its key drops the "Opt_").
  SetLanguageSource(std::make_shared<FakeLanguage>(
      FakeLanguage::Texts{{{"Fr1", "SemiKeyAc"}, "Несколько действий|подсказка"}}));
  accepted = false;
  const auto failure = CheckEditorEntry({"New", true, TActionHKey(kCtrlP)}, tree, {}, {}, accepted);
  SetLanguageSource(nullptr);
  ASSERT_TRUE(failure);
  EXPECT_TRUE(failure->message.ends_with("option 'Несколько действий')")) << failure->message;
}

TEST_F(EditorTree, NewNodeGoesAfterTheSelection) {
  const std::string tree5 = "Apps .Notepad:srun .Paint:srun Other Tail:srun";
  const struct {
    std::string words;
    std::optional<std::size_t> selected;
    const char* shape;
    std::size_t node;
  } rows[] = {
      {tree5, 0, "Apps .Notepad .Paint .New Other Tail", 3},  // a folder: its last child
      {tree5, 1, "Apps .Notepad .Paint .New Other Tail", 3},  // an action in a folder: its folder's
      {tree5, 3, "Apps .Notepad .Paint Other .New Tail", 4},  // an empty folder
      {tree5, 4, "Apps .Notepad .Paint Other Tail New", 5},   // a top-level action: the top level
      {tree5, std::nullopt, "Apps .Notepad .Paint Other Tail New", 5},
      {tree5, 9, "Apps .Notepad .Paint Other Tail New", 5},
      {"Apps .Sub ..Deep:srun Other", 2, "Apps .Sub ..Deep ..New Other", 3},
  };
  for (const auto& row : rows) {
    Build(row.words);
    EXPECT_EQ(AddEditorNode(tree, list, row.selected, "New"), row.node);
    EXPECT_EQ(Shape(), row.shape);
  }
}

TEST_F(EditorTree, WriteBackSetsTextNameCodeAndKey) {
  Build("Apps .Notepad:srun");
  TAction* action = WriteEditorEntry(tree, list, 1, "Scroll", "wm_scroll", TActionHKey(kCtrlP));
  ASSERT_EQ(action, tree.ActionByIndex(1));
  EXPECT_EQ(std::tuple(true, std::string("Scroll"), std::string("Scroll"), kCtrlP,
                       TActionParamsMode::pmScroll),
            std::tuple(list.Modified, tree.NodeAt(1)->text, action->Name(), action->Key0().HKey(),
                       action->ActionParamsMode()));
  EXPECT_EQ(WriteEditorEntry(tree, list, 2, "x", "srun", TActionHKey(kCtrlP)), nullptr);
}

}  // namespace
}  // namespace tavion
