#include "actions/action.h"

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "actions/action_tree.h"
#include "fixtures/golden_profile.h"
#include "registry_dump.h"

namespace tavion {
namespace {

using Mode = TActionParamsMode;
using Lines = std::vector<std::string>;

// A plug-in's parameter object with one value.
class DriveParams final : public Persistent {
 public:
  std::span<const Property> Properties() const override {
    static constexpr Property kProperties[] = {IntegerField<&DriveParams::Drive>("Drive")};
    return kProperties;
  }
  uint32_t Drive = 0;
};

// Loaded plug-ins that provide the listed codes; installed for the life of the object.
class FakePlugins final : public PluginCodeResolver {
 public:
  explicit FakePlugins(std::initializer_list<std::pair<const std::string, PluginActionId>> provided)
      : codes(provided) {
    SetPluginCodeResolver(this);
  }
  ~FakePlugins() override { SetPluginCodeResolver(nullptr); }
  std::optional<PluginActionId> Resolve(std::string_view code) const override {
    const auto found = codes.find(std::string(code));
    return found == codes.end() ? std::nullopt : std::optional(found->second);
  }
  PluginParams CreateParams(const PluginActionId& id) override {
    created.push_back(id);
    if (!makesParams) return nullptr;
    return PluginParams(new DriveParams,
                        {[this](Persistent* object) { ++released, delete object; }});
  }
  std::map<std::string, PluginActionId> codes;
  bool makesParams = true;
  std::vector<PluginActionId> created;
  int released = 0;
};

const std::string kCdRom = "plug\0021Corvex.dll\0022CDRom";
const std::string kAction = "Keys\\Default\\000", kParams = kAction + "\\ActionParams";

bool Save(TAction& action, RegistryStore& store) {
  return WriteObject(action, store, "Keys\\Default", "000", /*load=*/false);
}
void Load(TAction& action, RegistryStore& store) {
  EXPECT_TRUE(WriteObject(action, store, "Keys\\Default", "000", /*load=*/true));
}

// A plug-in's code wins over the built-in codes but launch, and its parameters load into the
// object the plug-in makes; without the plug-in they are kept as stored and written back so.
TEST(ActionRegistry, PluginCodesMakeThePluginsObjectOrKeepTheStoredParameters) {
  MemoryRegistry store;
  PutTree(store, kAction,
          {"Exec='" + kCdRom + "'", "[ActionParams\\Params]", "Drive=4",
           "[ActionParams\\Params\\Deeper]", "Label='E:'"});
  {
    FakePlugins plugins({{kCdRom, {"Corvex.dll", "CDRom"}},
                         {"ke_keyz", {"Keys.dll", "ke_keyz"}},
                         {"srun", {"Shell.dll", "srun"}}});
    TAction action;
    action.SetExec("ke_keyz");
    EXPECT_EQ(Mode::pmPlug, action.ActionParamsMode());
    action.SetExec("srun");
    EXPECT_EQ(Mode::pmSExe, action.ActionParamsMode()) << "launch is chosen before plug-ins";
    EXPECT_EQ(1, plugins.released) << "the object made for ke_keyz went back to its plug-in";
    Load(action, store);
    const auto* plug = action.ParamsAs<TActionParamsPlug>();
    ASSERT_TRUE(plug && plug->Params);
    EXPECT_EQ(4u, dynamic_cast<DriveParams&>(*plug->Params).Drive);
    EXPECT_EQ((std::vector<PluginActionId>{{"Keys.dll", "ke_keyz"}, {"Corvex.dll", "CDRom"}}),
              plugins.created);
    EXPECT_EQ((PluginActionId{plug->LibraryFile, plug->ActionId}), plugins.created.back());
    action.SetExec("wa_play");
    EXPECT_EQ(2, plugins.released);
    plugins.makesParams = false;
    action.SetExec(kCdRom);
    EXPECT_EQ(nullptr, action.ParamsAs<TActionParamsPlug>()->Params);
  }
  for (const uint32_t mode : {5u, 0u, 9u}) {
    SCOPED_TRACE(mode);
    store.WriteInteger(kAction, "ActionParamsMode", mode);
    TAction orphan;
    Load(orphan, store);
    EXPECT_EQ(mode == 5 ? Mode::pmPlug : Mode::pmNull, orphan.ActionParamsMode());
    MemoryRegistry again;
    ASSERT_TRUE(Save(orphan, again));
    EXPECT_EQ(DumpTree(store, kParams), DumpTree(again, kParams));
  }
}

// Adds actions "a0", "a1", ... at `levels` to `list`, builds `tree` and returns the depths.
std::vector<int> Depths(TActionsList& list, ActionTree& tree, const std::vector<int>& levels) {
  for (int level : levels)
    fixtures::AddAction(list, "a" + std::to_string(list.Count()), "")
        .SetLevl(static_cast<uint8_t>(level));
  tree.Rebuild(list, [](TAction& action) { return action.Name(); });
  std::vector<int> depths;
  for (std::size_t i = 0; i < tree.Count(); ++i) depths.push_back(tree.NodeAt(i)->depth);
  return depths;
}

TEST(ActionTree, DeletingANodeDeletesItsSubtreeAndTheirActions) {
  TActionsList list;
  ActionTree tree;
  Depths(list, tree, {0, 1, 2, 1, 0, 1});
  list.At(2)->SetExec("srun");
  ASSERT_EQ((std::vector<std::size_t>{1, 3}), tree.Children(0));
  EXPECT_EQ((std::array{true, false, false}),
            (std::array{ActionTree::IsFolder(tree.NodeAt(1)), ActionTree::IsFolder(tree.NodeAt(2)),
                        ActionTree::IsFolder(tree.NodeAt(6))}));
  EXPECT_EQ(std::pair(list.At(3), static_cast<TAction*>(nullptr)),
            std::pair(tree.ActionByIndex(3), tree.ActionByIndex(6)));

  ASSERT_TRUE(tree.DeleteNode(1, list));  // a1 and its child a2
  // The others keep their order; the parent index of a5 moved up.
  EXPECT_EQ(
      std::tuple(4u, "a3", "a5", std::optional<std::size_t>(2)),
      std::tuple(list.Count(), list.At(1)->Name(), tree.NodeAt(3)->text, tree.NodeAt(3)->parent));
  EXPECT_EQ((std::vector<std::size_t>{3}), tree.Children(2));
  EXPECT_EQ(std::tuple(false, false, std::nullopt),
            std::tuple(tree.DeleteNode(4, list), list.Delete(4), list.IndexOf(nullptr)));
  tree.Clear(list);
  EXPECT_EQ(0u, tree.Count() + list.Count());
}

}  // namespace
}  // namespace tavion
