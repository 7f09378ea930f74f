#include "actions/action_tree.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "actions/action.h"

namespace tavion {
namespace {

// A list of actions with the given Levl values; action k is named "a<k>", a level below 0 makes
// a folder (no code) at level -level-1.
void Fill(TActionsList& list, const std::vector<int>& levels) {
  for (std::size_t k = 0; k < levels.size(); ++k) {
    TAction& action = list.Add();
    action.SetName("a" + std::to_string(k));
    action.SetLevl(static_cast<uint8_t>(levels[k]));
    action.SetExec("wm_wmin");
  }
}

std::vector<int> Depths(const ActionTree& tree) {
  std::vector<int> depths;
  for (std::size_t i = 0; i < tree.Count(); ++i) depths.push_back(tree.NodeAt(i)->depth);
  return depths;
}

std::string TextOf(TAction& action) {
  return action.Name();
}

TEST(ActionTree, DepthsFollowLevelsAsIndentedLines) {
  struct Case {
    const char* what;
    std::vector<int> levels;
    std::vector<int> depths;
  };
  const Case cases[] = {
      {"flat", {0, 0, 0}, {0, 0, 0}},
      {"folders", {0, 1, 1, 0, 1}, {0, 1, 1, 0, 1}},
      {"a jump is one level deeper", {0, 3, 3}, {0, 1, 1}},
      {"back up to the top", {0, 1, 2, 0}, {0, 1, 2, 0}},
      {"back up one level", {0, 1, 2, 1}, {0, 1, 2, 1}},
      {"shallower after a jump stays below its ancestor", {0, 5, 2}, {0, 1, 1}},
      {"first line deep", {2, 2, 0}, {0, 0, 0}},
  };
  for (const Case& c : cases) {
    TActionsList list;
    Fill(list, c.levels);
    ActionTree tree;
    tree.Rebuild(list, TextOf);
    EXPECT_EQ(c.depths, Depths(tree)) << c.what;
  }
}

TEST(ActionTree, ParentsChildrenAndIndexLookup) {
  TActionsList list;
  Fill(list, {0, 1, 2, 1, 0});
  ActionTree tree;
  tree.Rebuild(list, TextOf);

  EXPECT_EQ(std::nullopt, tree.NodeAt(0)->parent);
  EXPECT_EQ(std::optional<std::size_t>(0), tree.NodeAt(1)->parent);
  EXPECT_EQ(std::optional<std::size_t>(1), tree.NodeAt(2)->parent);
  EXPECT_EQ(std::optional<std::size_t>(0), tree.NodeAt(3)->parent);
  EXPECT_EQ((std::vector<std::size_t>{1, 3}), tree.Children(0));
  EXPECT_EQ((std::vector<std::size_t>{2}), tree.Children(1));
  EXPECT_TRUE(tree.Children(4).empty());

  EXPECT_EQ(list.At(3), tree.ActionByIndex(3));
  EXPECT_EQ("a3", tree.NodeAt(3)->text);
  EXPECT_EQ(nullptr, tree.ActionByIndex(5));
  EXPECT_EQ(nullptr, tree.NodeAt(99));
  EXPECT_EQ(nullptr, ActionTree::ActionOfNode(nullptr));
}

TEST(ActionTree, AFolderIsANodeWhoseActionHasNoCode) {
  TActionsList list;
  list.Add().SetName("folder");
  list.Add().SetExec("srun");
  ActionTree tree;
  tree.Rebuild(list, TextOf);
  EXPECT_TRUE(ActionTree::IsFolder(tree.NodeAt(0)));
  EXPECT_FALSE(ActionTree::IsFolder(tree.NodeAt(1)));
  EXPECT_FALSE(ActionTree::IsFolder(nullptr));
}

TEST(ActionTree, DeletingANodeDeletesItsSubtreeAndTheirActions) {
  TActionsList list;
  Fill(list, {0, 1, 2, 1, 0, 1});
  ActionTree tree;
  tree.Rebuild(list, TextOf);

  ASSERT_TRUE(tree.DeleteNode(1, list));  // a1 and its child a2
  EXPECT_EQ(4u, tree.Count());
  EXPECT_EQ(4u, list.Count());
  EXPECT_EQ("a3", tree.NodeAt(1)->text);
  EXPECT_EQ("a5", tree.NodeAt(3)->text);
  EXPECT_EQ(std::optional<std::size_t>(2), tree.NodeAt(3)->parent) << "parent index moved up";
  EXPECT_EQ((std::vector<std::size_t>{3}), tree.Children(2));
  EXPECT_FALSE(tree.DeleteNode(4, list));

  tree.Clear(list);
  EXPECT_EQ(0u, tree.Count());
  EXPECT_EQ(0u, list.Count());
}

}  // namespace
}  // namespace tavion
