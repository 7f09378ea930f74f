#include "actions/actions_registry.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <latch>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "actions/action.h"
#include "actions/action_tree.h"
#include "actions/catalogue.h"
#include "actions/default_actions.h"
#include "actions/profile_saver.h"
#include "doubles/failing_registry.h"
#include "fixtures/golden_profile.h"
#include "registry_dump.h"
#include "settings/reg_file.h"

namespace tavion {
namespace {

constexpr std::string_view kProfile = "Software\\Quillon\\Tavion\\Keys\\Default";
const std::string kKeys(kKeysRegistryPath);

// Actions as "name code level", in tree order.
using Rows = std::vector<std::string>;

void Fill(TActionsList& list, ActionTree& tree, const Rows& rows) {
  for (const std::string& row : rows) {
    const size_t space = row.find(' '), last = row.rfind(' ');
    fixtures::AddAction(list, row.substr(0, space), row.substr(space + 1, last - space - 1))
        .SetLevl(static_cast<uint8_t>(std::stoi(row.substr(last + 1))));
  }
  tree.Rebuild(list, [](TAction& action) { return action.Name(); });
  list.Modified = true;
}

Rows Load(RegistryStore& store, std::string_view path = kProfile) {
  TActionsList list;
  ActionTree tree;
  LoadActions(list, tree, store, path);
  Rows rows;
  for (std::size_t i = 0; i < tree.Count(); ++i) {
    const TAction* action = tree.ActionByIndex(i);
    rows.push_back(action->Name() + " " + action->Exec() + " " +
                   std::to_string(tree.NodeAt(i)->depth));
  }
  return rows;
}

SaveActionsOptions Current(std::vector<std::string>* told = nullptr) {
  SaveActionsOptions options;
  options.currentProfile = "Default";
  if (told) options.tellFailure = [told](const std::string& text) { told->push_back(text); };
  return options;
}

// Saves `rows` as `profile` (the current one by default), on a saver's thread when `later`;
// returns whether the save succeeded.
bool Save(RegistryStore& store, const Rows& rows, std::string_view profile = kCurrentProfileMark,
          const SaveActionsOptions& options = Current(), bool later = false) {
  TActionsList list;
  ActionTree tree;
  Fill(list, tree, rows);
  ProfileSaver saver(store, nullptr);
  const bool saved = later ? SaveActionsNow(list, tree, saver, profile, options)
                           : SaveActions(list, tree, store, profile, options);
  EXPECT_EQ(!saved, list.Modified) << "a failed save stays marked modified";
  EXPECT_FALSE(list.Saving);
  return saved;
}

std::string Joined(const Rows& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

class ActionsRegistry : public testing::Test {
 protected:
  void SetUp() override { BuildCatalogue(store); }
  MemoryRegistry store;
};

TEST(ActionKeyNames, NumbersSortByValueThenOtherNamesAsText) {
  std::vector<std::string> names = {"101", "abc", "1000", "100", "099", "B", "0100", "999", "1a"};
  SortActionKeyNames(names);
  EXPECT_EQ((Rows{"099", "0100", "100", "101", "999", "1000", "1a", "abc", "B"}), names);
  EXPECT_EQ("042 1000", ActionKeyName(42) + " " + ActionKeyName(1000));
}

// Levels are corrected to the tree's depths (a deep first line is a top line, a jump is one level
// deeper, a shallower line after it stays below its folder), empty names come from the catalogue
// or the code, and a new save replaces the whole old profile.
// Saving under another name keeps the current profile only when asked; a name that is no key name
// is refused and the user told once.
TEST_F(ActionsRegistry, ASavedProfileLoadsBackAsItsTree) {
  ASSERT_TRUE(Save(store, {"A srun 0", "B srun 0", "C srun 0", "D srun 0"}));
  ASSERT_TRUE(
      Save(store, {"Folder  2", "Deep srun 5", " tv_kill 3", " no_such 0", "Top tv_beep 0"}));
  EXPECT_EQ(1u, store.ReadInteger(std::string(kProfile) + "\\001", "Levl"));
  EXPECT_EQ((Rows{"Folder  0", "Deep srun 1", "Tavion - close tv_kill 1", "no_such no_such 0",
                  "Top tv_beep 0"}),
            Load(store));
  EXPECT_EQ((Rows{"000", "001", "002", "003", "004"}), store.SubKeyNames(kProfile));
  EXPECT_EQ(Rows{"Default"}, store.SubKeyNames(kKeys)) << "no staging key is left behind";
  ASSERT_TRUE(Save(store, {}));
  EXPECT_TRUE(Load(store).empty()) << "an empty profile stays empty, not the default set";
  SaveActionsOptions keep = Current();
  keep.keep = true;
  ASSERT_TRUE(Save(store, {"Copied srun 0"}, "Copy", keep));
  EXPECT_EQ(std::pair(Rows{}, Rows{"Copied srun 0"}),
            std::pair(Load(store), Load(store, kKeys + "\\Copy")));

  TActionsList list;
  ActionTree tree;
  Fill(list, tree, {"unsaved srun 0"});
  list.Modified = false;
  EXPECT_TRUE(SaveActions(list, tree, store, kCurrentProfileMark, Current()));
  EXPECT_TRUE(Load(store).empty()) << "a list not marked modified is not saved";
  LoadActions(list, tree, store, kProfile, {.defaults = true, .existingDrives = 0, .plugins = {}});
  EXPECT_GT(tree.Count(), 2u) << "the default set, asked for, replaces what is stored";
  ASSERT_TRUE(Save(store, {"Renamed srun 0"}, "Renamed"));
  EXPECT_FALSE(store.KeyExists(kProfile)) << "renaming removes the current profile";
  std::vector<std::string> told;
  for (const char* bad : {"", "A\\B"}) EXPECT_FALSE(Save(store, {"x srun 0"}, bad, Current(&told)));
  EXPECT_EQ((Rows{"Error: can't save the actions of profile - ",
                  "Error: can't save the actions of profile - A\\B"}),
            told);
}

TEST_F(ActionsRegistry, RecoveryFinishesOrUndoesAnInterruptedSwap) {
  const std::string keys[] = {"Default", "~saving~Default", "~previous~Default"};
  // The action held by each of `keys` ("" for no key), then the one left in Default afterwards.
  const std::array<std::string, 4> cases[] = {
      {"old", "new", "", "old"},  // staging incomplete
      {"new", "", "old", "new"},  // previous left over
      {"", "new", "old", "new"},  // old moved aside, new complete
      {"", "", "old", "old"},     // old moved aside, no new
      {"", "new", "", ""},        // first save never swapped in
  };
  for (const std::array<std::string, 4>& c : cases) {
    SCOPED_TRACE(c[0] + "," + c[1] + "," + c[2]);
    store.DeleteKey(kKeys);
    for (int k = 0; k < 3; ++k)
      if (!c[k].empty()) store.WriteString(kKeys + "\\" + keys[k] + "\\000", "Name", c[k]);
    RecoverInterruptedSave(store, kProfile);
    EXPECT_EQ((c[3].empty() ? Rows{"[]"}
                            : Rows{"[]", "[Default]", "[Default\\000]", "Name='" + c[3] + "'"}),
              DumpTree(store, kKeys));
  }
}

// A save interrupted at any step leaves the whole old or the whole new profile for the next load
// (or, for a first save, none), under the old name or the new one; the user is told of a failure.
TEST_F(ActionsRegistry, AnInterruptedSaveLosesNoProfile) {
  const Rows oldRows = {"old0 srun 0", "old1 ke_keyz 0", "old2 srun 0", "old3 srun 0"};
  const Rows newRows = {"new0 srun 0", "new1 ke_keyz 0", "new2 srun 0"};
  const Rows none = Load(store);  // the default set
  const std::tuple<bool, std::string, bool> cases[] = {
      {true, std::string(kCurrentProfileMark), false},   // replace
      {false, std::string(kCurrentProfileMark), false},  // first save
      {true, "Renamed", false},
      {true, std::string(kCurrentProfileMark), true}};  // replace on the saver's thread
  for (const auto& [oldExists, target, later] : cases) {
    std::size_t steps = 0;
    // Step 0 runs the save through and counts its writes; step n fails from the n-th on.
    for (std::size_t n = 0; n <= steps; ++n) {
      SCOPED_TRACE(target + (oldExists ? " over a profile" : "") + (later ? ", later" : "") +
                   ", interrupted at " + std::to_string(n));
      FailingRegistry failing;
      ASSERT_TRUE(!oldExists || Save(failing, oldRows));
      failing.FailFrom(n == 0 ? FailingRegistry::kNever : n);
      std::vector<std::string> told;
      const bool saved = Save(failing, newRows, target, Current(&told), later);
      EXPECT_EQ(saved ? 0u : 1u, told.size()) << "the user is told once of a failed save";
      if (n == 0) {
        ASSERT_TRUE(saved);
        steps = failing.MutatingCalls();
        continue;
      }
      failing.FailFrom(FailingRegistry::kNever);  // the program starts again
      const Rows atOld = Load(failing), atNew = Load(failing, kKeys + "\\Renamed");
      if (target == "Renamed") {
        EXPECT_TRUE(atOld == oldRows || (atOld == none && atNew == newRows));
      } else {
        EXPECT_TRUE(atOld == newRows || (!saved && atOld == (oldExists ? oldRows : none)));
      }
      for (const std::string& key : failing.SubKeyNames(kKeys))
        EXPECT_FALSE(IsTransientProfileKey(key)) << key << ": the load clears what the save left";
    }
  }
}

// The registry form of a profile, key by key and value by value; exported to a registry file,
// imported, loaded and saved again, it comes back the same.
TEST_F(ActionsRegistry, TheGoldenProfileSavesAsDecidedAndComesBackThroughARegistryFile) {
  const std::string golden =
      "[]\n[000]\nName='Plain'\nExec='tv_beep'\n[000\\ActionExecOn]\n"
      "[000\\ActionExecOn\\IfNW]\n[000\\ActionExecOn\\IfWa]\n[000\\ActionExecOn\\IfWe]\n"
      "[000\\ActionExecOn\\IfWi]\n[000\\ActionExecOn\\StFW]\n[000\\Key0]\n[001]\n"
      "Name='Launch'\nExec='srun'\nActionParamsMode=1\n[001\\ActionExecOn]\n"
      "[001\\ActionExecOn\\IfNW]\n[001\\ActionExecOn\\IfWa]\n[001\\ActionExecOn\\IfWe]\n"
      "[001\\ActionExecOn\\IfWi]\n[001\\ActionExecOn\\StFW]\n[001\\ActionParams]\n"
      "Path='C:\\Tools\\app.exe'\nParm='first line\016\016second line'\nShow=3\n"
      "[001\\Key0]\nHKey=20483\n[002]\nName='Replace'\nExec='ke_keyz'\nActionParamsMode=2\n"
      "[002\\ActionExecOn]\n[002\\ActionExecOn\\IfNW]\n[002\\ActionExecOn\\IfWa]\n"
      "[002\\ActionExecOn\\IfWe]\n[002\\ActionExecOn\\IfWi]\n[002\\ActionExecOn\\StFW]\n"
      "[002\\ActionParams]\nLang=67699721\n[002\\ActionParams\\Key]\nHKey=29700\n"
      "[002\\Key0]\nHKey=31490\n[003]\nName='Message'\nExec='ms_wmsg'\nActionParamsMode=4\n"
      "[003\\ActionExecOn]\nBlck=1\n[003\\ActionExecOn\\IfNW]\n[003\\ActionExecOn\\IfWa]\n"
      "WCls='Notepad,nil'\nWCap='nil,\"My \"\"doc\"\", v2\"'\nEnbl=1\n"
      "[003\\ActionExecOn\\IfWe]\n[003\\ActionExecOn\\IfWi]\n[003\\ActionExecOn\\StFW]\n"
      "[003\\ActionParams]\nWCls='Notepad'\nWCap='\"Untitled - Notepad\"'\nSMsg=274\n"
      "Wprm=61536\n[003\\Key0]\n[004]\nName='Folder'\n[004\\ActionExecOn]\nNevr=1\n"
      "[004\\ActionExecOn\\IfNW]\n[004\\ActionExecOn\\IfWa]\n[004\\ActionExecOn\\IfWe]\n"
      "[004\\ActionExecOn\\IfWi]\n[004\\ActionExecOn\\StFW]\n[004\\Key0]\n";
  TActionsList list, loaded;
  ActionTree tree, loadedTree;
  fixtures::FillGoldenProfile(list, tree);
  ASSERT_TRUE(SaveActions(list, tree, store, kCurrentProfileMark, Current()));
  EXPECT_EQ(golden, Joined(DumpTree(store, kProfile)));
  const std::string file = WriteRegText(store, "HKEY_CURRENT_USER", kProfile, true, false).value();
  MemoryRegistry imported, again;
  ASSERT_TRUE(ParseRegText({reinterpret_cast<const uint8_t*>(file.data()), file.size()}, imported));
  LoadActions(loaded, loadedTree, imported, "HKEY_CURRENT_USER\\" + std::string(kProfile));
  loaded.Modified = true;
  ASSERT_TRUE(SaveActions(loaded, loadedTree, again, kCurrentProfileMark, Current()));
  EXPECT_EQ(golden, Joined(DumpTree(again, kProfile)));
}

// Holds the first save at its start (the key below Keys it writes into) until `open`, and counts
// the saves that start.
class GatedRegistry : public MemoryRegistry {
 public:
  bool CreateKey(std::string_view path) override {
    if (SplitRegistryPath(path).size() == SplitRegistryPath(kKeys).size() + 1 && started++ == 0) {
      first.count_down();
      open.wait();
    }
    return MemoryRegistry::CreateKey(path);
  }
  std::atomic<int> started = 0;
  std::latch first{1}, open{1};
};

// The saver writes a snapshot of the list as it was when saved, even when the list changes or is
// emptied meanwhile; a newer snapshot of a profile takes the place of one not yet started (and
// removes the profile that one replaced), while another profile's stays queued; Flush waits for
// the writes, and ending the saver loses none.
TEST_F(ActionsRegistry, TheSaverWritesTheLatestSnapshotOfEachProfile) {
  GatedRegistry gated;
  gated.WriteString(kKeys + "\\Renamed\\000", "Name", "renamed");
  TActionsList list;
  ActionTree tree;
  // Saves `rows` as `profile`, keeping the current profile unless `renamed` names the one left.
  const auto saveLater = [&](ProfileSaver& saver, const Rows& rows, std::string_view profile,
                             std::string_view renamed = {}) {
    tree.Clear(list);
    Fill(list, tree, rows);
    SaveActionsOptions options = Current();
    options.currentProfile = renamed.empty() ? "Default" : renamed;
    options.keep = renamed.empty();
    EXPECT_TRUE(SaveActionsLater(list, tree, saver, profile, options) && !list.Modified);
  };
  {
    ProfileSaver saver(gated, nullptr);
    saveLater(saver, {"copied srun 0", "sub srun 1"}, "Copy");
    gated.first.wait();
    saveLater(saver, {"replaced srun 0"}, kCurrentProfileMark);
    saveLater(saver, {"renamed srun 0"}, "Other", "Renamed");
    saveLater(saver, {"other srun 0"}, "Other");
    saveLater(saver, {"latest srun 0"}, kCurrentProfileMark);
    tree.Clear(list);
    gated.open.count_down();
    saver.Flush();
    EXPECT_EQ(3, gated.started.load()) << "the replaced snapshots are never written";
    EXPECT_EQ((Rows{"Copy", "Default", "Other"}), gated.SubKeyNames(kKeys));
    EXPECT_EQ((std::tuple(Rows{"copied srun 0", "sub srun 1"}, Rows{"latest srun 0"})),
              std::tuple(Load(gated, kKeys + "\\Copy"), Load(gated)));
    saveLater(saver, {"at exit srun 0"}, kCurrentProfileMark);
  }
  EXPECT_EQ(Rows{"at exit srun 0"}, Load(gated));
}

// Flush also waits for the snapshot being written, when the queue is already empty.
TEST_F(ActionsRegistry, FlushWaitsForTheSnapshotBeingWritten) {
  GatedRegistry gated;
  TActionsList list;
  ActionTree tree;
  Fill(list, tree, {"held srun 0"});
  ProfileSaver saver(gated, nullptr);
  ASSERT_TRUE(SaveActionsLater(list, tree, saver, kCurrentProfileMark, Current()));
  gated.first.wait();
  std::thread opener([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    gated.open.count_down();
  });
  saver.Flush();
  EXPECT_EQ(Rows{"held srun 0"}, Load(gated));
  opener.join();
}

// A failed write on the saver's thread signals once until it is taken; taking it marks the list
// modified again and tells the user once. A later save of the profile that succeeds takes the
// failure back; saving now writes again what failed before.
TEST_F(ActionsRegistry, AFailedSaveOnTheSaversThreadIsToldOnceAndWrittenAgain) {
  FailingRegistry failing;
  std::atomic<int> signals = 0;
  ProfileSaver saver(failing, [&] { ++signals; });
  TActionsList list;
  ActionTree tree;
  std::vector<std::string> told;
  // Saves on the saver's thread with writes failing from the `failFrom`-th on.
  const auto saveLater = [&](std::size_t failFrom) {
    failing.FailFrom(failFrom);
    list.Modified = true;
    EXPECT_TRUE(SaveActionsLater(list, tree, saver, kCurrentProfileMark, Current(&told)));
    saver.Flush();
  };
  Fill(list, tree, {"kept srun 0"});
  saveLater(1);
  saveLater(1);
  EXPECT_TRUE(!TakeSaveFailures(saver, list, Current(&told)) && list.Modified);
  EXPECT_EQ(Rows{"Error: can't save the actions of profile - Default"}, told);
  saveLater(1);
  EXPECT_EQ(2, signals.load()) << "one signal per failure taken";
  saveLater(FailingRegistry::kNever);
  EXPECT_TRUE(TakeSaveFailures(saver, list, Current(&told)));
  saveLater(1);
  failing.FailFrom(FailingRegistry::kNever);
  failing.DeleteKey(kKeys);
  EXPECT_TRUE(SaveActionsNow(list, tree, saver, kCurrentProfileMark, Current(&told)));
  EXPECT_EQ(Rows{"kept srun 0"}, Load(failing));
  EXPECT_EQ(1u, told.size());
}

}  // namespace
}  // namespace tavion
