// A save interrupted at any step leaves the whole old or the whole new profile for the next load.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "actions/action.h"
#include "actions/action_tree.h"
#include "actions/actions_registry.h"
#include "actions/catalogue.h"
#include "doubles/failing_registry.h"
#include "settings/registry.h"

namespace tavion {
namespace {

constexpr std::string_view kProfile = "Software\\Quillon\\Tavion\\Keys\\Default";

void Fill(TActionsList& list, ActionTree& tree, const std::string& prefix, int count) {
  for (int i = 0; i < count; ++i) {
    TAction& action = list.Add();
    action.SetName(prefix + std::to_string(i));
    action.SetExec(i % 2 ? "srun" : "ke_keyz");
    action.Key0().SetHKey(static_cast<uint32_t>(0x4100 + i));
  }
  tree.Rebuild(list, [](TAction& action) { return action.Name(); });
  list.Modified = true;
}

// The names of the actions the profile loads with, or {"<defaults>"} when it does not exist.
std::vector<std::string> Loaded(RegistryStore& store, std::string_view path) {
  if (!store.KeyExists(path)) {
    RecoverInterruptedSave(store, path);
    if (!store.KeyExists(path)) return {"<defaults>"};
  }
  TActionsList list;
  ActionTree tree;
  LoadActions(list, tree, store, path);
  std::vector<std::string> names;
  for (std::size_t i = 0; i < tree.Count(); ++i) names.push_back(tree.NodeAt(i)->text);
  return names;
}

std::vector<std::string> Names(const std::string& prefix, int count) {
  std::vector<std::string> names;
  for (int i = 0; i < count; ++i) names.push_back(prefix + std::to_string(i));
  return names;
}

SaveActionsOptions Options(std::string_view current) {
  SaveActionsOptions options;
  options.currentProfile = current;
  return options;
}

// Saves the old profile (unless `oldCount` is 0) into a fresh store, then the new one through a
// registry that fails from mutating call `failFrom` on. Returns the store and whether the second
// save reported success.
struct SaveRun {
  std::unique_ptr<MemoryRegistry> store = std::make_unique<MemoryRegistry>();
  bool newSaveSucceeded = false;
  std::size_t steps = 0;
};

SaveRun SaveOverOld(int oldCount, int newCount, std::string_view target, std::size_t failFrom) {
  SaveRun run;
  if (oldCount > 0) {
    TActionsList old;
    ActionTree oldTree;
    Fill(old, oldTree, "old", oldCount);
    EXPECT_TRUE(SaveActions(old, oldTree, *run.store, kCurrentProfileMark, Options("Default")));
  }
  FailingRegistry failing(*run.store, failFrom);
  TActionsList fresh;
  ActionTree freshTree;
  Fill(fresh, freshTree, "new", newCount);
  SaveActionsOptions options = Options("Default");
  std::vector<std::string> told;
  options.tellFailure = [&](const std::string& text) { told.push_back(text); };
  run.newSaveSucceeded = SaveActions(fresh, freshTree, failing, target, options);
  EXPECT_EQ(!run.newSaveSucceeded, fresh.Modified) << "a failed save stays marked modified";
  const std::string name(target == kCurrentProfileMark ? "Default" : target);
  EXPECT_EQ(run.newSaveSucceeded
                ? std::vector<std::string>{}
                : std::vector<std::string>{"Error: can't save the actions of profile - " + name},
            told)
      << "the user is told once of a failed save";
  EXPECT_FALSE(fresh.Saving);
  run.steps = failing.MutatingCalls();
  return run;
}

class ProfileCrash : public testing::Test {
 protected:
  void SetUp() override {
    MemoryRegistry empty;
    BuildCatalogue(empty);
  }
};

TEST_F(ProfileCrash, ReplacingAProfileLeavesTheOldOrTheNewOneWhole) {
  const std::size_t steps = SaveOverOld(4, 3, kCurrentProfileMark, FailingRegistry::kNever).steps;
  ASSERT_GT(steps, 10u);
  for (std::size_t n = 1; n <= steps + 1; ++n) {
    SaveRun run = SaveOverOld(4, 3, kCurrentProfileMark, n);
    const std::vector<std::string> loaded = Loaded(*run.store, kProfile);
    if (run.newSaveSucceeded) {
      EXPECT_EQ(Names("new", 3), loaded) << "interrupted at step " << n;
    } else {
      EXPECT_TRUE(loaded == Names("old", 4) || loaded == Names("new", 3))
          << "interrupted at step " << n << ": " << testing::PrintToString(loaded);
    }
    EXPECT_EQ(std::vector<std::string>{"Default"},
              run.store->SubKeyNames("Software\\Quillon\\Tavion\\Keys"))
        << "step " << n << ": the load clears what the save left";
  }
}

TEST_F(ProfileCrash, AFirstSaveLeavesNoProfileOrTheWholeNewOne) {
  const std::size_t steps = SaveOverOld(0, 3, kCurrentProfileMark, FailingRegistry::kNever).steps;
  for (std::size_t n = 1; n <= steps; ++n) {
    SaveRun run = SaveOverOld(0, 3, kCurrentProfileMark, n);
    const std::vector<std::string> loaded = Loaded(*run.store, kProfile);
    EXPECT_TRUE(loaded == std::vector<std::string>{"<defaults>"} || loaded == Names("new", 3))
        << "interrupted at step " << n << ": " << testing::PrintToString(loaded);
  }
}

TEST_F(ProfileCrash, RenamingLosesNeitherProfile) {
  // Saving under another name removes the current profile only once the new one is in place.
  const std::string renamed = "Software\\Quillon\\Tavion\\Keys\\Renamed";
  const std::size_t steps = SaveOverOld(4, 3, "Renamed", FailingRegistry::kNever).steps;
  for (std::size_t n = 1; n <= steps; ++n) {
    SaveRun run = SaveOverOld(4, 3, "Renamed", n);
    const std::vector<std::string> atOld = Loaded(*run.store, kProfile);
    const std::vector<std::string> atNew = Loaded(*run.store, renamed);
    EXPECT_TRUE(atOld == Names("old", 4) || atNew == Names("new", 3))
        << "interrupted at step " << n << ": the actions must survive under one of the names";
    if (atOld != Names("old", 4)) {
      EXPECT_EQ(std::vector<std::string>{"<defaults>"}, atOld) << "step " << n;
    }
  }
}

}  // namespace
}  // namespace tavion
