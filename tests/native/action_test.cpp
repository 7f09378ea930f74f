#include "actions/action.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "actions/action_tree.h"
#include "registry_dump.h"

namespace tavion {
namespace {

using Mode = TActionParamsMode;

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
  explicit FakePlugins(std::initializer_list<std::pair<const std::string, PluginActionId>> codes)
      : codes_(codes) {
    SetPluginCodeResolver(this);
  }
  ~FakePlugins() override { SetPluginCodeResolver(nullptr); }
  std::optional<PluginActionId> Resolve(std::string_view code) const override {
    const auto found = codes_.find(std::string(code));
    return found == codes_.end() ? std::nullopt : std::optional(found->second);
  }
  PluginParams CreateParams(const PluginActionId& id) override {
    created.push_back(id);
    if (!makesParams) return nullptr;
    return PluginParams(new DriveParams, {[this](Persistent* object) {
                          ++released;
                          delete object;
                        }});
  }
  bool makesParams = true;
  std::vector<PluginActionId> created;
  int released = 0;

 private:
  std::map<std::string, PluginActionId> codes_;
};

const std::string kCdRom = "plug\0021Corvex.dll\0022CDRom";
constexpr const char* kAction = "Keys\\Default\\000";

bool Save(TAction& action, RegistryStore& store) {
  return WriteObject(action, store, "Keys\\Default", "000", /*load=*/false);
}
void Load(TAction& action, RegistryStore& store) {
  EXPECT_TRUE(WriteObject(action, store, "Keys\\Default", "000", /*load=*/true));
}

// Each code makes the parameter object of its class, which stores its fields under their names;
// the classes the golden profile does not hold are written out here.
TEST(ActionExec, EachCodeMakesItsParameterObjectWhichStoresItsFields) {
  const struct {
    const char* code;
    Mode mode;
    std::function<void(TAction&)> fill;
    std::vector<std::string> stored;
  } cases[] = {
      {"srun", Mode::pmSExe, [](TAction&) {}, {"Show=1"}},
      {"ke_keyz", Mode::pmKRep, [](TAction&) {}, {}},
      {"mc_play",
       Mode::pmMacr,
       [](TAction& a) { a.ParamsAs<TActionParamsMacr>()->Name = "m"; },
       {"Name='m'"}},
      {"mc_text",
       Mode::pmMacrText,
       [](TAction& a) {
         auto* p = a.ParamsAs<TActionParamsMacrText>();
         p->FileEncoding = 1, p->FileName = "t.txt", p->Text = "a\r\nb", p->Mode = 2;
       },
       {"Mode=2", "Text='a\016\016b'", "FileName='t.txt'", "FileEncoding=1"}},
      {"wm_alfa",
       Mode::pmAlfa,
       [](TAction& a) {
         a.ParamsAs<TActionParamsAlfa>()->Value = 200, a.ParamsAs<TActionParamsAlfa>()->Mode = 2;
       },
       {"Mode=2", "Value=200"}},
      {"wm_scroll",
       Mode::pmScroll,
       [](TAction& a) {
         auto* p = a.ParamsAs<TActionParamsScroll>();
         p->Speed = 20, p->Mode = 3, p->hWndType = 1, p->Pages = false;
       },
       {"hWndType=1", "Mode=3", "Speed=20"}},
      {"ms_wmsg", Mode::pmSMsg, [](TAction&) {}, {}},
      {"wa_play", Mode::pmNull, nullptr, {}},
      {"SRUN", Mode::pmNull, nullptr, {}},
      {kCdRom.c_str(), Mode::pmNull, nullptr, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    TAction action;
    action.SetExec(c.code);
    EXPECT_EQ(c.mode, action.ActionParamsMode());
    ASSERT_EQ(c.fill == nullptr, std::as_const(action).ActionParams() == nullptr);
    if (!c.fill) continue;
    c.fill(action);
    MemoryRegistry store;
    ASSERT_TRUE(Save(action, store));
    EXPECT_EQ(c.stored, DumpValues(store, std::string(kAction) + "\\ActionParams"));
    TAction loaded;
    Load(loaded, store);
    MemoryRegistry again;
    ASSERT_TRUE(Save(loaded, again));
    EXPECT_EQ(DumpTree(store, kAction), DumpTree(again, kAction)) << "loads back as saved";
  }
}

TEST(ActionExec, ANewCodeReplacesTheParametersTheSameCodeKeepsThem) {
  TAction action;
  EXPECT_TRUE(action.IsFolder());
  action.SetExec("srun");
  auto* params = action.ParamsAs<TActionParamsSExec>();
  params->Path = "notepad.exe";
  action.SetExec("srun");
  EXPECT_EQ(params, action.ActionParams());
  action.SetExec("wm_scroll");
  EXPECT_TRUE(action.ParamsAs<TActionParamsScroll>()->Pages);
  action.SetExec("srun");
  EXPECT_EQ("", action.ParamsAs<TActionParamsSExec>()->Path);
  action.SetExec("wa_play");
  EXPECT_EQ(nullptr, action.ActionParams());
  EXPECT_EQ(Mode::pmSExe, action.ActionParamsMode()) << "an unknown code leaves the mode";
  action.SetActionParamsMode(Mode::pmAlfa);
  Persistent* alfa = action.ActionParams();
  ASSERT_NE(nullptr, action.ParamsAs<TActionParamsAlfa>());
  action.SetActionParamsMode(Mode::pmMacr);
  EXPECT_EQ(alfa, action.ActionParams()) << "a mode makes an object only when there is none";
  action.SetExec("");
  EXPECT_EQ(Mode::pmNull, action.ActionParamsMode());
}

TEST(ActionExec, APluginCodeWinsOverTheBuiltInCodesAfterLaunch) {
  FakePlugins plugins({{kCdRom, {"Corvex.dll", "CDRom"}},
                       {"ke_keyz", {"Keys.dll", "ke_keyz"}},
                       {"srun", {"Shell.dll", "srun"}}});
  TAction action;
  action.SetExec("ke_keyz");
  EXPECT_EQ(Mode::pmPlug, action.ActionParamsMode());
  action.SetExec("srun");
  EXPECT_EQ(Mode::pmSExe, action.ActionParamsMode()) << "launch is chosen before plug-ins";
  EXPECT_EQ(1, plugins.released) << "the object made for ke_keyz went back to its plug-in";
  action.SetExec(kCdRom);
  const auto* plug = action.ParamsAs<TActionParamsPlug>();
  ASSERT_NE(nullptr, plug);
  EXPECT_EQ((PluginActionId{plug->LibraryFile, plug->ActionId}), plugins.created.back());
  EXPECT_NE(nullptr, dynamic_cast<DriveParams*>(plug->Params.get()));
  EXPECT_EQ((std::vector<PluginActionId>{{"Keys.dll", "ke_keyz"}, {"Corvex.dll", "CDRom"}}),
            plugins.created);
  action.SetExec("wa_play");
  EXPECT_EQ(2, plugins.released);
  plugins.makesParams = false;
  action.SetExec(kCdRom);
  EXPECT_EQ(nullptr, action.ParamsAs<TActionParamsPlug>()->Params);
}

// The code is loaded before the parameters it makes; a plug-in's parameters load into its own
// object, and without the plug-in they are kept as stored and written back so.
TEST(ActionRegistry, ParametersLoadIntoTheObjectTheCodeOrTheStoredModeMakes) {
  MemoryRegistry store;
  store.WriteString(kAction, "Exec", "wm_scroll");
  store.WriteInteger(std::string(kAction) + "\\ActionParams", "Speed", 5);
  TAction scroll;
  Load(scroll, store);
  EXPECT_EQ(5, scroll.ParamsAs<TActionParamsScroll>()->Speed);
  EXPECT_FALSE(scroll.ParamsAs<TActionParamsScroll>()->Pages) << "a value that is missing is false";

  store.DeleteKey(kAction);
  store.WriteString(kAction, "Exec", kCdRom);
  store.WriteInteger(kAction, "ActionParamsMode", 5);
  store.WriteInteger(std::string(kAction) + "\\ActionParams\\Params", "Drive", 4);
  store.WriteString(std::string(kAction) + "\\ActionParams\\Params\\Deeper", "Label", "E:");
  {
    FakePlugins plugins({{kCdRom, {"Corvex.dll", "CDRom"}}});
    TAction action;
    Load(action, store);
    ASSERT_NE(nullptr, action.ParamsAs<TActionParamsPlug>()->Params);
    EXPECT_EQ(4u,
              static_cast<const DriveParams&>(*action.ParamsAs<TActionParamsPlug>()->Params).Drive);
  }
  const std::string params = std::string(kAction) + "\\ActionParams";
  for (const uint32_t mode : {5u, 0u, 9u}) {
    SCOPED_TRACE(mode);
    store.WriteInteger(kAction, "ActionParamsMode", mode);
    TAction orphan;
    Load(orphan, store);
    EXPECT_EQ(mode == 5 ? Mode::pmPlug : Mode::pmNull, orphan.ActionParamsMode());
    MemoryRegistry again;
    ASSERT_TRUE(Save(orphan, again));
    EXPECT_EQ(DumpTree(store, params), DumpTree(again, params));
  }
}

TEST(ActionTree, DepthsFollowLevelsAsIndentedLines) {
  const struct {
    const char* what;
    std::vector<int> levels, depths;
  } cases[] = {
      {"a jump is one level deeper", {0, 3, 3, 0}, {0, 1, 1, 0}},
      {"back up one level", {0, 1, 2, 1}, {0, 1, 2, 1}},
      {"shallower after a jump stays below its ancestor", {0, 5, 2}, {0, 1, 1}},
      {"first line deep", {2, 2, 0}, {0, 0, 0}},
  };
  for (const auto& c : cases) {
    TActionsList list;
    for (int level : c.levels) list.Add().SetLevl(static_cast<uint8_t>(level));
    ActionTree tree;
    tree.Rebuild(list, [](TAction&) { return std::string(); });
    std::vector<int> depths;
    for (std::size_t i = 0; i < tree.Count(); ++i) depths.push_back(tree.NodeAt(i)->depth);
    EXPECT_EQ(c.depths, depths) << c.what;
  }
}

TEST(ActionTree, DeletingANodeDeletesItsSubtreeAndTheirActions) {
  TActionsList list;
  for (int level : {0, 1, 2, 1, 0, 1}) {
    TAction& action = list.Add();
    action.SetName("a" + std::to_string(list.Count() - 1));
    action.SetLevl(static_cast<uint8_t>(level));
    if (level == 2) action.SetExec("srun");
  }
  ActionTree tree;
  tree.Rebuild(list, [](TAction& action) { return action.Name(); });
  EXPECT_EQ((std::vector<std::size_t>{1, 3}), tree.Children(0));
  EXPECT_TRUE(ActionTree::IsFolder(tree.NodeAt(1)));
  EXPECT_FALSE(ActionTree::IsFolder(tree.NodeAt(2)));
  EXPECT_FALSE(ActionTree::IsFolder(tree.NodeAt(6)));
  EXPECT_EQ(list.At(3), tree.ActionByIndex(3));
  EXPECT_EQ(nullptr, tree.ActionByIndex(6));

  ASSERT_TRUE(tree.DeleteNode(1, list));  // a1 and its child a2
  EXPECT_EQ(4u, list.Count());
  EXPECT_EQ("a3", list.At(1)->Name()) << "the others keep their order";
  EXPECT_EQ("a5", tree.NodeAt(3)->text);
  EXPECT_EQ(std::optional<std::size_t>(2), tree.NodeAt(3)->parent) << "parent index moved up";
  EXPECT_EQ((std::vector<std::size_t>{3}), tree.Children(2));
  EXPECT_FALSE(tree.DeleteNode(4, list));
  EXPECT_FALSE(list.Delete(4));
  EXPECT_EQ(std::nullopt, list.IndexOf(nullptr));
  tree.Clear(list);
  EXPECT_EQ(0u, tree.Count() + list.Count());
}

}  // namespace
}  // namespace tavion
