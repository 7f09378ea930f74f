#include "ui/exec_options.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace tavion {
namespace {

const std::vector<LayoutChoice> kLayouts = {
    {0x04090409, "English"}, {0, "no layout"}, {0x04190419, "Russian"}};

// The id of the node whose key (or final text) is `name` under the node keyed `parent`.
size_t Find(const ExecOptionsModel& model, const std::string& name,
            const std::string& parent = {}) {
  const auto& nodes = model.Nodes();
  for (size_t id = 0; id < nodes.size(); ++id) {
    const OptionNode& node = nodes[id];
    const std::string& own = node.key.empty() ? node.text : node.key;
    if (own != name || node.removed) continue;
    if (parent.empty() || (node.parent && nodes[*node.parent].key == parent)) return id;
  }
  ADD_FAILURE() << "no node " << name << " under " << parent;
  return nodes.size();
}

// The texts of the children of `parent`, in tree order.
std::vector<std::string> Children(const ExecOptionsModel& model, size_t parent) {
  std::vector<std::string> texts;
  for (const OptionNode& node : model.Nodes())
    if (node.parent == parent && !node.removed)
      texts.push_back(node.key.empty() ? node.text : node.key);
  return texts;
}

TEST(ExecOptionsTree, LanguageGroupsOfferTheirFirstEntryThenTheLayouts) {
  const ExecOptionsModel model(TActionExecOn{}, kLayouts);
  EXPECT_EQ((std::vector<std::string>{"EO_AnyLang", "English", "Russian"}),
            Children(model, Find(model, "EO_H3")));
  EXPECT_EQ((std::vector<std::string>{"ButtonNo", "English", "Russian"}),
            Children(model, Find(model, "EO_SL", "EO_AL")));
}

TEST(ExecOptionsTree, RadioEntrySelectsItselfWithinItsOwnGroupOnly) {
  // Stored Rept and Lang (SetLangAfter is English), the entry picked in its group, whether that
  // changes anything, and Rept, Lang and SetLangAfter written back over Rept and Lang alone.
  const struct {
    int16_t rept;
    uint32_t lang;
    const char* pick;
    const char* group;
    bool changes;
    std::tuple<int16_t, uint32_t, uint32_t> stored;
  } cases[] = {
      {0, 0, "3", "EO_CC", true, {2, 0, 0x04090409}},
      {2, 0, "3", "EO_CC", false, {2, 0, 0x04090409}},
      {9, 0, "Russian", "EO_H3", true, {9, 0x04190419, 0x04090409}},  // unknown count kept
      {-1, 0, "1", "EO_CC", true, {0, 0, 0x04090409}},
      {0, 0x12345678, "EO_AnyLang", "EO_H3", true, {0, 0, 0x04090409}},
      {0, 0x04090409, "ButtonNo", "EO_SL", true, {0, 0x04090409, 0}},
  };
  for (const auto& c : cases) {
    TActionExecOn options;
    options.Rept = c.rept;
    options.Lang = c.lang;
    options.SetLangAfter = 0x04090409;
    ExecOptionsModel model(options, kLayouts);
    const size_t picked = Find(model, c.pick, c.group);
    EXPECT_EQ(c.changes, model.Toggle(picked)) << c.pick;
    options.SetLangAfter = 0;
    model.Store(options);
    EXPECT_EQ(c.stored, std::tuple(options.Rept, options.Lang, options.SetLangAfter)) << c.pick;
    for (const OptionNode& node : model.Nodes()) {
      if (node.parent != model.Nodes()[picked].parent) continue;
      EXPECT_EQ(&node == &model.Nodes()[picked], node.checked) << c.pick << " " << node.text;
    }
  }
}

// The separate-thread box shows and writes the negation of Thrd.
TEST(ExecOptionsTree, EachBoxSetsItsOwnSwitchOrConditionOnly) {
  using Switch = bool TActionExecOn::*;
  using Condition = TActionExecOnWItem TActionExecOn::*;
  const std::pair<const char*, Switch> switches[] = {
      {"NoOSD", &TActionExecOn::nOSD},
      {"EO_NV", &TActionExecOn::Nevr},
      {"ModOnlyL", &TActionExecOn::ModOnlyL},
      {"ModOnlyR", &TActionExecOn::ModOnlyR},
      {"ExecOnRepeat", &TActionExecOn::ExecOnRepeat},
      {"EO_MB", &TActionExecOn::MBox},
      {"EO_MA", &TActionExecOn::MSwa},
      {"EO_FD", &TActionExecOn::StFD},
      {"Block", &TActionExecOn::Blck},
      {"DontBlockHotKey", &TActionExecOn::DontBlockHotKey}};
  const std::pair<const char*, Condition> conditions[] = {{"EO_WA", &TActionExecOn::IfWa},
                                                          {"EO_WE", &TActionExecOn::IfWe},
                                                          {"EO_WI", &TActionExecOn::IfWi},
                                                          {"EO_NW", &TActionExecOn::IfNW},
                                                          {"EO_FS", &TActionExecOn::StFW}};
  std::vector<std::string> keys = {"Thread"};
  for (const auto& [key, field] : switches) keys.push_back(key);
  for (const auto& [key, field] : conditions) keys.push_back(key);
  for (const std::string& ticked : keys) {
    ExecOptionsModel model(TActionExecOn{}, {});
    ASSERT_TRUE(model.Toggle(Find(model, ticked)));
    TActionExecOn stored;
    model.Store(stored);
    for (const auto& [key, field] : switches) EXPECT_EQ(key == ticked, stored.*field) << ticked;
    for (const auto& [key, field] : conditions)
      EXPECT_EQ(key == ticked, (stored.*field).Enbl) << ticked;
    EXPECT_EQ(ticked == "Thread", stored.Thrd) << ticked;
    // Reading back shows the one box ticked.
    const ExecOptionsModel shown(stored, {});
    for (const std::string& key : keys)
      EXPECT_EQ((key == ticked) != (key == "Thread"), shown.Nodes()[Find(shown, key)].checked)
          << ticked;
  }
}

}  // namespace
}  // namespace tavion
