#include "ui/actions_page.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "actions/action.h"
#include "actions/catalogue.h"
#include "fixtures/golden_profile.h"
#include "settings/registry.h"

namespace tavion {
namespace {

// A tree written as words: leading dots give the depth, "name:code" an action, a bare name a
// folder.
class PageTree : public testing::Test {
 protected:
  void SetUp() override { BuildCatalogue(store); }

  void Build(const std::string& words) {
    std::istringstream in(words);
    for (std::string word; in >> word;) {
      const std::size_t depth = word.find_first_not_of('.');
      const std::size_t colon = word.find(':');
      const std::string name =
          word.substr(depth, colon == std::string::npos ? colon : colon - depth);
      const std::string code = colon == std::string::npos ? "" : word.substr(colon + 1);
      fixtures::AddAction(list, name, code).SetLevl(static_cast<uint8_t>(depth));
    }
    tree.Rebuild(list, [](TAction& action) { return action.Name(); });
  }

  // The tree in the notation of Build, names only; the list's order must be the tree's.
  std::string Shape() const {
    std::string shape;
    for (std::size_t i = 0; i < tree.Count(); ++i) {
      EXPECT_EQ(list.At(i), tree.ActionByIndex(i)) << "list order differs at " << i;
      if (i > 0) shape += ' ';
      shape +=
          std::string(static_cast<std::size_t>(tree.NodeAt(i)->depth), '.') + tree.NodeAt(i)->text;
    }
    return shape;
  }

  std::optional<std::size_t> Find(const std::string& name) const {
    for (std::size_t i = 0; i < tree.Count(); ++i)
      if (tree.NodeAt(i)->text == name) return i;
    return std::nullopt;
  }

  // The hot-key text the tests give an action: its code.
  static std::string HotKey(const TAction& action) { return action.Exec(); }

  MemoryRegistry store;
  TActionsList list;
  ActionTree tree;
};

constexpr char kProfile[] =
    "Player .Play:wa_play .Stop:wa_stop .Inner ..Deep:wa_next Tools Beep:tv_beep Kill:tv_kill";

TEST_F(PageTree, DropMovesNodesByAttachMode) {
  struct Case {
    const char* dragged;
    const char* target;  // empty: none
    DropArea area;
    AttachMode mode;
    const char* shape;  // empty: unchanged
  };
  const Case cases[] = {
      // An action onto its next sibling, an action: the two swap.
      {"Play", "Stop", DropArea::kNode, AttachMode::kSwap,
       "Player .Stop .Play .Inner ..Deep Tools Beep Kill"},
      // A folder onto the next folder: no swap, it becomes that folder's first child.
      {"Player", "Tools", DropArea::kNode, AttachMode::kFirstChild,
       "Tools .Player ..Play ..Stop ..Inner ...Deep Beep Kill"},
      // An action onto a folder of its depth: first child; on the folder's indent: before it.
      {"Beep", "Tools", DropArea::kNode, AttachMode::kFirstChild,
       "Player .Play .Stop .Inner ..Deep Tools .Beep Kill"},
      {"Stop", "Inner", DropArea::kNode, AttachMode::kFirstChild,
       "Player .Play .Inner ..Stop ..Deep Tools Beep Kill"},
      {"Kill", "Tools", DropArea::kIndent, AttachMode::kInsertBefore,
       "Player .Play .Stop .Inner ..Deep Kill Tools Beep"},
      // A folder onto a deeper action: in front of it, at its depth, with its subtree.
      {"Tools", "Deep", DropArea::kNode, AttachMode::kInsertBefore,
       "Player .Play .Stop .Inner ..Tools ..Deep Beep Kill"},
      {"Inner", "Beep", DropArea::kNode, AttachMode::kInsertBefore,
       "Player .Play .Stop Tools Inner .Deep Beep Kill"},
      // Onto a folder of another depth, or onto a sibling action further down: in front of it.
      {"Beep", "Inner", DropArea::kNode, AttachMode::kInsertBefore,
       "Player .Play .Stop .Beep .Inner ..Deep Tools Kill"},
      {"Player", "Beep", DropArea::kNode, AttachMode::kInsertBefore,
       "Tools Player .Play .Stop .Inner ..Deep Beep Kill"},
      {"Deep", "", DropArea::kEmpty, AttachMode::kLastTopLevel,
       "Player .Play .Stop .Inner Tools Beep Kill Deep"},
      // Nowhere to go.
      {"Play", "Play", DropArea::kNode, AttachMode::kNone, ""},
      {"Player", "Deep", DropArea::kNode, AttachMode::kNone, ""},
      {"Play", "Kill", DropArea::kOutside, AttachMode::kNone, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.dragged) + " onto " + c.target);
    list.Clear();
    Build(kProfile);
    const std::string before = Shape();
    const std::size_t dragged = *Find(c.dragged);
    const std::optional<std::size_t> target = *c.target ? Find(c.target) : std::nullopt;
    EXPECT_EQ(c.mode, DropAttachMode(tree, dragged, target, c.area));
    list.Modified = false;
    const auto moved = DropNode(tree, list, dragged, target, c.area);
    const bool changes = *c.shape != '\0';
    EXPECT_EQ(changes ? c.shape : before, Shape());
    EXPECT_EQ(changes, list.Modified);
    ASSERT_EQ(changes, moved.has_value());
    if (moved) {
      EXPECT_EQ(c.dragged, tree.NodeAt(*moved)->text);
    }
  }
}

TEST_F(PageTree, ParentsFollowAMove) {
  Build(kProfile);
  DropNode(tree, list, *Find("Tools"), Find("Deep"), DropArea::kNode);  // both under Inner
  EXPECT_EQ((std::vector<std::size_t>{*Find("Tools"), *Find("Deep")}),
            tree.Children(*Find("Inner")));
}

TEST_F(PageTree, CommandsFollowTheSelection) {
  Build("Folder .Act:wa_play");
  // What is offered: a(dd), e(dit), d(elete), r(un), t(oggle).
  const auto offered = [&](std::optional<std::size_t> selected, bool editor) {
    const ActionCommands c = EnabledActionCommands(tree, selected, editor);
    return std::string(c.add ? "a" : "") + (c.edit ? "e" : "") + (c.remove ? "d" : "") +
           (c.run ? "r" : "") + (c.toggle ? "t" : "");
  };
  EXPECT_EQ("a", offered(std::nullopt, true));
  EXPECT_EQ("aedt", offered(0, true));
  EXPECT_EQ("aedrt", offered(1, true));
  EXPECT_EQ("drt", offered(1, false));
  EXPECT_EQ("a", offered(7, true));
}

TEST(ActionsPageEdit, RefusesAPluginActionWhoseFileIsGone) {
  TActionsList list;
  TAction& byCode = fixtures::AddAction(list, "Clock",
                                        "plug\x02"
                                        "1Corvex.dll\x02"
                                        "2ShowTime");
  TAction& builtIn = fixtures::AddAction(list, "Play", "wa_play");
  const auto missing = [](std::string_view) { return false; };
  const auto present = [](std::string_view file) { return file == "Corvex.dll"; };
  EXPECT_EQ(
      "Can't find handler for action 'Clock', may be you delete plugin?\r\nExInfo: Corvex.dll",
      EditRefusal(byCode, missing));
  EXPECT_EQ(std::nullopt, EditRefusal(byCode, present));
  EXPECT_EQ(std::nullopt, EditRefusal(builtIn, missing));
}

TEST_F(PageTree, TipNamesFolderChildrenOrActionAndKey) {
  Build("Player .Play:wa_play .Song:wa_play Empty Launch:srun");
  tree.Rebuild(list, [](TAction& action) {
    return action.Name() == "Launch" ? FindCatalogueEntry("srun").displayName : action.Name();
  });
  EXPECT_EQ("Player (2)", NodeTipText(tree, 0, HotKey));
  EXPECT_EQ("Play\r\nStart playback\r\n(wa_play)", NodeTipText(tree, 1, HotKey));
  EXPECT_EQ("Empty", NodeTipText(tree, 3, HotKey));
  EXPECT_EQ("Open file/folder (ShellExec)\r\n(srun)", NodeTipText(tree, 4, HotKey));
  EXPECT_EQ("", NodeTipText(tree, 5, HotKey));
}

TEST_F(PageTree, FilterKeepsMatchesAndTheirFolders) {
  Build("Player .Play:wa_play .Inner ..Deep:wa_next Tools .Beep:tv_beep Кино .Звук:wa_stop");
  const auto shown = [&](std::string_view filter) {
    std::string names;
    const std::vector<bool> visible = FilterNodes(tree, filter, HotKey);
    for (std::size_t i = 0; i < visible.size(); ++i)
      if (visible[i]) names += tree.NodeAt(i)->text + " ";
    return names;
  };
  EXPECT_EQ("Player Play Inner Deep Tools Beep Кино Звук ", shown(""));
  EXPECT_EQ("Player Inner Deep ", shown("dEEp"));
  EXPECT_EQ("Player Inner Deep ", shown("Wa_N"));  // the hot-key text
  EXPECT_EQ("Tools Beep ", shown("tOOLS"));        // a folder with all it holds
  EXPECT_EQ("Кино Звук ", shown("кИНО"));
}

TEST_F(PageTree, DetailsGroupActionsUnderTheirNearestFolder) {
  Build("Top:wa_play Player .Play:wa_stop .Inner ..Deep:wa_next ..Host:srun ...Sub:tv_beep Empty");
  const DetailsLayout all = BuildDetailsLayout(tree, std::vector<bool>(tree.Count(), true));
  EXPECT_EQ((std::vector<DetailsGroup>{{kRootGroupId, "Root"}, {1, "Player"}, {3, "Inner"}}),
            all.groups);
  EXPECT_EQ((std::vector<DetailsRow>{{0, kRootGroupId}, {2, 1}, {4, 3}, {5, 3}, {6, 3}}), all.rows);

  std::vector<bool> onlyDeep(tree.Count(), false);
  onlyDeep[4] = true;
  const DetailsLayout filtered = BuildDetailsLayout(tree, onlyDeep);
  EXPECT_EQ((std::vector<DetailsGroup>{{3, "Inner"}}), filtered.groups);
  EXPECT_EQ((std::vector<DetailsRow>{{4, 3}}), filtered.rows);

  // A folder from the root's number on never shares the root's group.
  EXPECT_NE(kRootGroupId, DetailsGroupId(kRootGroupId));
  EXPECT_NE(DetailsGroupId(kRootGroupId - 1), DetailsGroupId(kRootGroupId));
}

}  // namespace
}  // namespace tavion
