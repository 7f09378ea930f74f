#include "actions/actions_registry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "actions/action.h"
#include "actions/action_tree.h"
#include "actions/catalogue.h"
#include "actions/default_actions.h"
#include "settings/registry.h"

namespace tavion {
namespace {

constexpr std::string_view kProfile = "Software\\Quillon\\Tavion\\Keys\\Default";

// One action per entry: (name, code, level).
struct Row {
  std::string name;
  std::string code;
  int level;
};

void Fill(TActionsList& list, ActionTree& tree, const std::vector<Row>& rows) {
  for (const Row& row : rows) {
    TAction& action = list.Add();
    action.SetName(row.name);
    action.SetExec(row.code);
    action.SetLevl(static_cast<uint8_t>(row.level));
  }
  tree.Rebuild(list, [](TAction& action) { return action.Name(); });
  list.Modified = true;
}

std::vector<Row> Snapshot(const ActionTree& tree) {
  std::vector<Row> rows;
  for (std::size_t i = 0; i < tree.Count(); ++i) {
    const TAction* action = tree.ActionByIndex(i);
    rows.push_back({action->Name(), action->Exec(), tree.NodeAt(i)->depth});
  }
  return rows;
}

bool operator==(const Row& a, const Row& b) {
  return a.name == b.name && a.code == b.code && a.level == b.level;
}

void PrintTo(const Row& row, std::ostream* os) {
  *os << "{" << row.name << ", " << row.code << ", " << row.level << "}";
}

SaveActionsOptions Current() {
  SaveActionsOptions options;
  options.currentProfile = "Default";
  return options;
}

class ActionsRegistry : public testing::Test {
 protected:
  void SetUp() override { BuildCatalogue(store); }

  // Saves `rows` as the current profile.
  void SaveSpecs(const std::vector<Row>& rows) {
    TActionsList list;
    ActionTree tree;
    Fill(list, tree, rows);
    ASSERT_TRUE(SaveActions(list, tree, store, kCurrentProfileMark, Current()));
  }

  std::vector<Row> Load(std::string_view path = kProfile) {
    TActionsList list;
    ActionTree tree;
    LoadActions(list, tree, store, path);
    return Snapshot(tree);
  }

  MemoryRegistry store;
};

TEST(ActionKeyNames, NumbersSortByValueThenOtherNamesAsText) {
  std::vector<std::string> names = {"101", "abc", "1000", "100", "099", "B", "0100", "999", "1a"};
  SortActionKeyNames(names);
  EXPECT_EQ(
      (std::vector<std::string>{"099", "0100", "100", "101", "999", "1000", "1a", "abc", "B"}),
      names);
  EXPECT_EQ("000", ActionKeyName(0));
  EXPECT_EQ("042", ActionKeyName(42));
  EXPECT_EQ("1000", ActionKeyName(1000));
}

TEST_F(ActionsRegistry, SavedTreeLoadsBackWithLevelsCorrected) {
  // Levl 3 under a top-level folder is depth 1 in the tree and is saved as 1.
  SaveSpecs(
      {{"Folder", "", 0}, {"Deep", "srun", 3}, {"Next", "wm_wmin", 3}, {"Top", "tv_beep", 0}});
  EXPECT_EQ(1u, store.ReadInteger(std::string(kProfile) + "\\001", "Levl"));
  EXPECT_EQ(
      (std::vector<Row>{
          {"Folder", "", 0}, {"Deep", "srun", 1}, {"Next", "wm_wmin", 1}, {"Top", "tv_beep", 0}}),
      Load());
}

TEST_F(ActionsRegistry, SavingDoesNothingUnlessModifiedAndClearsTheFlag) {
  TActionsList list;
  ActionTree tree;
  Fill(list, tree, {{"One", "srun", 0}});
  list.Modified = false;
  EXPECT_TRUE(SaveActions(list, tree, store, kCurrentProfileMark, Current()));
  EXPECT_FALSE(store.KeyExists(kProfile));

  list.Modified = true;
  EXPECT_TRUE(SaveActions(list, tree, store, kCurrentProfileMark, Current()));
  EXPECT_FALSE(list.Modified);
  EXPECT_FALSE(list.Saving);
  EXPECT_TRUE(store.KeyExists(kProfile));
}

TEST_F(ActionsRegistry, SavingReplacesTheWholeOldProfile) {
  SaveSpecs({{"A", "srun", 0}, {"B", "srun", 0}, {"C", "srun", 0}});
  SaveSpecs({{"Only", "tv_kill", 0}});
  EXPECT_EQ((std::vector<Row>{{"Only", "tv_kill", 0}}), Load());
  EXPECT_EQ((std::vector<std::string>{"000"}), store.SubKeyNames(kProfile));
  EXPECT_EQ((std::vector<std::string>{"Default"}), store.SubKeyNames(kKeysRegistryPath))
      << "no staging key is left behind";
}

TEST_F(ActionsRegistry, AnEmptyProfileStaysEmpty) {
  SaveSpecs({});
  EXPECT_TRUE(store.KeyExists(kProfile));
  EXPECT_TRUE(Load().empty());
}

TEST_F(ActionsRegistry, MissingProfileOrDefaultsRequestedGiveTheDefaultSet) {
  const std::vector<Row> defaults = Load();
  ASSERT_FALSE(defaults.empty());
  EXPECT_EQ((Row{"Winamp", "", 0}), defaults.front());
  EXPECT_EQ((Row{"Launch Winamp", "wa_wamp", 1}), defaults[1]) << "catalogue name filled in";

  SaveSpecs({{"Mine", "srun", 0}});
  TActionsList list;
  ActionTree tree;
  LoadActionsOptions options;
  options.defaults = true;
  LoadActions(list, tree, store, kProfile, options);
  EXPECT_EQ(defaults, Snapshot(tree));
}

TEST_F(ActionsRegistry, NamesComeFromTheCatalogueOrTheCode) {
  SaveSpecs({{"", "tv_kill", 0}, {"", "no_such_code", 0}, {"Own", "tv_kill", 0}});
  EXPECT_EQ((std::vector<Row>{{"Tavion - close", "tv_kill", 0},
                              {"no_such_code", "no_such_code", 0},
                              {"Own", "tv_kill", 0}}),
            Load());
}

TEST_F(ActionsRegistry, ProfilesOfMoreThanAThousandActionsKeepTheirOrder) {
  std::vector<Row> rows;
  for (int i = 0; i < 1200; ++i) {
    rows.push_back({"n" + std::to_string(i), i % 10 == 0 ? "" : "srun", i % 10 == 0 ? 0 : 1});
  }
  SaveSpecs(rows);
  EXPECT_TRUE(store.KeyExists(std::string(kProfile) + "\\1199"));
  EXPECT_EQ(rows, Load());
}

TEST_F(ActionsRegistry, OddSubKeysAndValuesLoadWithoutHarm) {
  const std::string path(kProfile);
  store.WriteString(path + "\\000", "Name", "first");
  store.WriteString(path + "\\000", "Exec", "srun");
  store.WriteInteger(path + "\\000", "Exec", 7);  // wrong type: no code
  store.WriteString(path + "\\zzz", "Name", "text-named");
  store.WriteString(path + "\\002", "Exec", "tv_beep");
  store.WriteString(path + "\\001", "Levl", "one");  // wrong type: level 0
  store.WriteString(path + "\\001", "Name", "second");

  EXPECT_EQ((std::vector<Row>{{"first", "", 0},
                              {"second", "", 0},
                              {"Tavion - check", "tv_beep", 0},
                              {"text-named", "", 0}}),
            Load());
}

TEST_F(ActionsRegistry, SavingUnderAnotherNameKeepsOrRemovesTheCurrentProfile) {
  SaveSpecs({{"Base", "srun", 0}});
  const std::string copy = std::string(kKeysRegistryPath) + "\\Copy";
  const std::string renamed = std::string(kKeysRegistryPath) + "\\Renamed";

  TActionsList list;
  ActionTree tree;
  Fill(list, tree, {{"Copied", "srun", 0}});
  SaveActionsOptions keep = Current();
  keep.keep = true;
  ASSERT_TRUE(SaveActions(list, tree, store, "Copy", keep));
  EXPECT_TRUE(store.KeyExists(kProfile));
  EXPECT_EQ((std::vector<Row>{{"Copied", "srun", 0}}), Load(copy));

  list.Modified = true;
  ASSERT_TRUE(SaveActions(list, tree, store, "Renamed", Current()));
  EXPECT_FALSE(store.KeyExists(kProfile)) << "renaming removes the current profile";
  EXPECT_TRUE(store.KeyExists(renamed));
}

TEST_F(ActionsRegistry, RecoveryFinishesOrUndoesAnInterruptedSwap) {
  const std::string keys(kKeysRegistryPath);
  const auto profileWith = [&](const std::string& key, const std::string& name) {
    store.WriteString(key + "\\000", "Name", name);
  };
  struct Case {
    const char* what;
    bool target, staging, previous;
    std::string expected;  // the name of the action found afterwards, empty for no profile
  };
  const Case cases[] = {
      {"staging incomplete, target whole", true, true, false, "old"},
      {"after the swap, previous left over", true, false, true, "new"},
      {"old moved aside, new complete", false, true, true, "new"},
      {"old moved aside, no new", false, false, true, "old"},
      {"first save never swapped in", false, true, false, ""},
  };
  for (const Case& c : cases) {
    store.DeleteKey(keys);
    if (c.target) profileWith(keys + "\\Default", c.staging ? "old" : "new");
    if (c.staging) profileWith(keys + "\\~saving~Default", "new");
    if (c.previous) profileWith(keys + "\\~previous~Default", "old");

    RecoverInterruptedSave(store, kProfile);
    EXPECT_EQ(c.expected, store.ReadString(std::string(kProfile) + "\\000", "Name").value_or(""))
        << c.what;
    EXPECT_EQ(c.expected.empty() ? 0u : 1u, store.SubKeyNames(keys).size())
        << c.what << ": only the profile is left";
  }
}

TEST(DefaultActions, FiveFoldersAndADiskEntryPerExistingDrive) {
  TActionsList list;
  const uint32_t drivesADE = 1u << 0 | 1u << 3 | 1u << 4 | 1u << 20;  // U: is beyond L:
  BuildDefaults(list, drivesADE);

  std::vector<std::string> folders, disks;
  std::vector<uint32_t> diskKeys;
  for (std::size_t i = 0; i < list.Count(); ++i) {
    const TAction* action = list.At(i);
    if (action->IsFolder()) {
      folders.push_back(action->Name());
      EXPECT_EQ(0, action->Levl());
    } else {
      EXPECT_EQ(1, action->Levl()) << action->Exec();
    }
    if (action->Name().starts_with("Disk - ")) {
      disks.push_back(action->Name() + " " + action->ParamsAs<TActionParamsSExec>()->Path);
      diskKeys.push_back(action->Key0().HKey());
    }
  }
  EXPECT_EQ((std::vector<std::string>{"Winamp", "Tavion", "Other", "Windows", "Apps"}), folders);
  EXPECT_EQ((std::vector<std::string>{"Disk - A: A:\\", "Disk - D: D:\\", "Disk - E: E:\\"}),
            disks);
  const uint8_t ctrlShift = kModCtrl | kModShift;
  EXPECT_EQ(
      (std::vector<uint32_t>{PackHotKey(112, 0, 0, ctrlShift), PackHotKey(113, 0, 0, ctrlShift),
                             PackHotKey(114, 0, 0, ctrlShift)}),
      diskKeys);
  EXPECT_EQ(5u + 17 + 4 + 3 + 5 + 4, list.Count());
}

TEST(DefaultActions, EntriesCarryTheirHotKeysAndLaunchParameters) {
  TActionsList list;
  BuildDefaults(list, 0);
  const auto find = [&](std::string_view codeOrName) -> const TAction* {
    for (std::size_t i = 0; i < list.Count(); ++i) {
      const TAction* action = list.At(i);
      if (action->Exec() == codeOrName || action->Name() == codeOrName) return action;
    }
    return nullptr;
  };
  ASSERT_NE(nullptr, find("wa_pnew"));
  EXPECT_EQ(PackHotKey(179, 0, 0, kModCtrl | kModShift), find("wa_pnew")->Key0().HKey());
  EXPECT_EQ(PackHotKey(36, 0, 0, kModWin | kModAlt), find("wm_wctr")->Key0().HKey());
  EXPECT_EQ(PackHotKey(75, 0, 0, kModWin), find("tv_e/\\d")->Key0().HKey());

  const TAction* command = find("Command");
  ASSERT_NE(nullptr, command);
  const auto* params = command->ParamsAs<TActionParamsSExec>();
  ASSERT_NE(nullptr, params);
  EXPECT_EQ("Open", params->Oper);
  EXPECT_EQ("cmd.exe", params->Path);
  EXPECT_EQ("/E:on", params->Parm);
  EXPECT_EQ(PackHotKey(123, 0, 0, kModAlt), command->Key0().HKey());
  EXPECT_EQ(nullptr, find("Disk - C:")) << "no drives, no disk entries";
}

}  // namespace
}  // namespace tavion
