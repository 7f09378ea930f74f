// The main window's own decisions: its keys, the title-bar buttons, the tray's "Actions" and
// "Language" submenus.
#include <gtest/gtest.h>

#include <set>
#include <tuple>
#include <string>
#include <vector>

#include "actions/action.h"
#include "actions/action_tree.h"
#include "fixtures/golden_profile.h"
#include "ui/tray_menu.h"
#include "ui/window_keys.h"

namespace tavion {
namespace {

TEST(WindowKeys, EachKeyAloneMeansItsCommandAndNothingWithAModifier) {
  using A = WindowKeyAction;
  const struct {
    unsigned key;
    WindowKey meaning;
  } rows[] = {
      {0x70, {A::kHelp}},                                // F1
      {0x2D, {A::kListCommand, ListCommand::kAdd}},      // Insert
      {0x71, {A::kListCommand, ListCommand::kEdit}},     // F2
      {0x2E, {A::kListCommand, ListCommand::kDelete}},   // Delete
      {0x73, {A::kListCommand, ListCommand::kToggle}},   // F4
      {0x74, {A::kListCommand, ListCommand::kRefresh}},  // F5
      {0x79, {A::kInfo}},                                // F10
      {0x7A, {A::kRestart}},                             // F11
      {0x7B, {A::kNextView}},                            // F12
      {0x72, {}},                                        // F3
      {0x78, {}},                                        // F9
      {0x0D, {}},                                        // Enter
      {'A', {}},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(row.meaning, WindowKeyFor(row.key, false, false, false)) << row.key;
    for (const auto& [shift, ctrl, alt] :
         {std::tuple{true, false, false}, {false, true, false}, {false, false, true}})
      EXPECT_EQ(WindowKey{}, WindowKeyFor(row.key, shift, ctrl, alt)) << row.key;
  }
}

// Folders with children become submenus, an empty folder an entry without a code; the submenu is
// made once, and again only after a save, so an unsaved edit does not show.
TEST(TrayActions, TheTreeBecomesNestedEntriesRebuiltAfterASaveOnly) {
  TActionsList list;
  ActionTree tree;
  const struct {
    const char* name;
    const char* code;
    uint8_t level;
  } actions[] = {{"Tools", "", 0},       {"Run", "srun", 1}, {"Deeper", "", 1},
                 {"Beep", "tv_beep", 2}, {"Empty", "", 0},   {"Exit", "tv_kill", 0}};
  for (const auto& a : actions) fixtures::AddAction(list, a.name, a.code).SetLevl(a.level);
  tree.Rebuild(list, [](TAction& action) { return action.Name(); });

  const std::vector<TrayActionEntry> top = TrayActionEntries(tree);
  ASSERT_EQ(3u, top.size());
  EXPECT_EQ("Tools", top[0].text);
  ASSERT_EQ(2u, top[0].children.size());
  EXPECT_EQ("srun", top[0].children[0].code);
  ASSERT_EQ(1u, top[0].children[1].children.size());
  EXPECT_EQ(3u, top[0].children[1].children[0].treeIndex);
  EXPECT_EQ("tv_beep", top[0].children[1].children[0].code);
  EXPECT_TRUE(top[1].code.empty());
  EXPECT_TRUE(top[1].children.empty());
  EXPECT_EQ(5u, top[2].treeIndex);

  TrayActionsRule rule;
  EXPECT_TRUE(rule.NeedsBuild(/*menuEmpty=*/true));
  rule.Built();
  EXPECT_FALSE(rule.NeedsBuild(false));  // edited, not saved
  rule.ListSaved();
  EXPECT_TRUE(rule.NeedsBuild(false));
  rule.Built();
  EXPECT_FALSE(rule.NeedsBuild(false));
}

TEST(TrayLanguage, IconSetsAreTheNumberedRussianFilesAndTheIconFallsBackToTheSetsDefault) {
  const std::vector<std::string> files = {"l2_1049.ico", "L1_1049.ICO",     "l1_1033.ico",
                                          "l3_1033.ico", "l2_1049.ico.bak", "lx_1049.ico",
                                          "l_1049.ico",  "l0_1049.ico",     "l12_1049.ico"};
  EXPECT_EQ((std::vector<int>{1, 2, 12}), LanguageIconSets(files));

  const std::set<std::string> present = {"l1_1033.ico", "l1_Default.ico", "l2_1049.ico"};
  auto exists = [&](const std::string& name) { return present.count(name) > 0; };
  EXPECT_EQ("l1_1033.ico", TrayLanguageIconFile(1, 1033, exists));
  EXPECT_EQ("l1_Default.ico", TrayLanguageIconFile(1, 1058, exists));
  EXPECT_EQ("", TrayLanguageIconFile(2, 1033, exists));
  EXPECT_EQ("", TrayLanguageIconFile(0, 1033, exists));
}

}  // namespace
}  // namespace tavion
