#include "actions/action.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <typeinfo>
#include <vector>

#include "registry_dump.h"

namespace tavion {
namespace {

using Mode = TActionParamsMode;

const char* ParamsClass(const TAction& action) {
  const Persistent* params = action.ActionParams();
  if (params == nullptr) return "none";
  if (dynamic_cast<const TActionParamsSExec*>(params)) return "SExec";
  if (dynamic_cast<const TActionParamsRKey*>(params)) return "RKey";
  if (dynamic_cast<const TActionParamsMacr*>(params)) return "Macr";
  if (dynamic_cast<const TActionParamsMacrText*>(params)) return "MacrText";
  if (dynamic_cast<const TActionParamsAlfa*>(params)) return "Alfa";
  if (dynamic_cast<const TActionParamsScroll*>(params)) return "Scroll";
  if (dynamic_cast<const TActionParamsSMsg*>(params)) return "SMsg";
  if (dynamic_cast<const TActionParamsPlug*>(params)) return "Plug";
  return "other";
}

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
    if (found == codes_.end()) return std::nullopt;
    return found->second;
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

const std::string kCdRomCode =
    "plug\x02"
    "1Corvex.dll\x02"
    "2CDRom";

TEST(Action, StartsEmpty) {
  const TAction action;
  EXPECT_EQ("", action.Name());
  EXPECT_EQ("", action.Exec());
  EXPECT_TRUE(action.IsFolder());
  EXPECT_EQ(Mode::pmNull, action.ActionParamsMode());
  EXPECT_EQ(nullptr, action.ActionParams());
  EXPECT_EQ(0u, action.Key0().HKey());
  EXPECT_EQ(0, action.Levl());
}

TEST(ActionExec, EachCodeMakesItsParameterObject) {
  struct Case {
    const char* code;
    Mode mode;
    const char* params;
  };
  const Case cases[] = {
      {"srun", Mode::pmSExe, "SExec"},   {"ke_keyz", Mode::pmKRep, "RKey"},
      {"mc_play", Mode::pmMacr, "Macr"}, {"mc_text", Mode::pmMacrText, "MacrText"},
      {"wm_alfa", Mode::pmAlfa, "Alfa"}, {"wm_scroll", Mode::pmScroll, "Scroll"},
      {"ms_wmsg", Mode::pmSMsg, "SMsg"}, {"wa_play", Mode::pmNull, "none"},
      {"SRUN", Mode::pmNull, "none"},    {kCdRomCode.c_str(), Mode::pmNull, "none"},
  };
  for (const Case& c : cases) {
    TAction action;
    action.SetExec(c.code);
    EXPECT_EQ(c.code, action.Exec());
    EXPECT_EQ(c.mode, action.ActionParamsMode()) << c.code;
    EXPECT_STREQ(c.params, ParamsClass(action)) << c.code;
  }
}

TEST(ActionExec, ANewCodeDiscardsTheOldParameters) {
  TAction action;
  action.SetExec("srun");
  action.ParamsAs<TActionParamsSExec>()->Path = "notepad.exe";
  action.SetExec("wm_scroll");
  EXPECT_EQ(Mode::pmScroll, action.ActionParamsMode());
  const auto* scroll = action.ParamsAs<TActionParamsScroll>();
  ASSERT_NE(nullptr, scroll);
  EXPECT_TRUE(scroll->Pages);
  EXPECT_EQ(1, scroll->Speed);

  action.SetExec("srun");
  EXPECT_EQ("", action.ParamsAs<TActionParamsSExec>()->Path);
}

TEST(ActionExec, TheSameCodeKeepsTheParameters) {
  TAction action;
  action.SetExec("srun");
  auto* params = action.ParamsAs<TActionParamsSExec>();
  params->Path = "notepad.exe";
  action.SetExec("srun");
  EXPECT_EQ(params, action.ActionParams());
  EXPECT_EQ("notepad.exe", params->Path);
}

TEST(ActionExec, AnUnknownCodeLeavesNoParametersAndTheModeAsItWas) {
  TAction action;
  action.SetExec("srun");
  action.SetExec("wa_play");
  EXPECT_EQ(nullptr, action.ActionParams());
  EXPECT_EQ(Mode::pmSExe, action.ActionParamsMode());
  action.SetExec("");
  EXPECT_EQ(Mode::pmNull, action.ActionParamsMode());
  EXPECT_TRUE(action.IsFolder());
}

TEST(ActionExec, APluginCodeWinsOverTheBuiltInCodesAfterLaunch) {
  FakePlugins plugins({{kCdRomCode, {"Corvex.dll", "CDRom"}},
                       {"ke_keyz", {"Keys.dll", "ke_keyz"}},
                       {"srun", {"Shell.dll", "srun"}}});
  TAction action;
  action.SetExec("ke_keyz");
  EXPECT_EQ(Mode::pmPlug, action.ActionParamsMode());
  action.SetExec("srun");
  EXPECT_EQ(Mode::pmSExe, action.ActionParamsMode()) << "launch is chosen before plug-ins";

  action.SetExec(kCdRomCode);
  EXPECT_EQ(Mode::pmPlug, action.ActionParamsMode());
  const auto* plug = action.ParamsAs<TActionParamsPlug>();
  ASSERT_NE(nullptr, plug);
  EXPECT_EQ("Corvex.dll", plug->LibraryFile);
  EXPECT_EQ("CDRom", plug->ActionId);
  EXPECT_NE(nullptr, dynamic_cast<DriveParams*>(plug->Params.get()));
  EXPECT_EQ((std::vector<PluginActionId>{{"Keys.dll", "ke_keyz"}, {"Corvex.dll", "CDRom"}}),
            plugins.created);

  EXPECT_EQ(1, plugins.released) << "the object made for ke_keyz went back to its plug-in";
  action.SetExec("wa_play");
  EXPECT_EQ(2, plugins.released);
}

TEST(ActionExec, APluginWithoutParametersLeavesParamsEmpty) {
  FakePlugins plugins({{kCdRomCode, {"Corvex.dll", "CDRom"}}});
  plugins.makesParams = false;
  TAction action;
  action.SetExec(kCdRomCode);
  ASSERT_NE(nullptr, action.ParamsAs<TActionParamsPlug>());
  EXPECT_EQ(nullptr, action.ParamsAs<TActionParamsPlug>()->Params);
}

TEST(ActionParamsMode, MakesAnObjectOnlyWhenThereIsNone) {
  TAction action;
  action.SetActionParamsMode(Mode::pmNull);
  EXPECT_EQ(nullptr, action.ActionParams());
  action.SetActionParamsMode(Mode::pmAlfa);
  Persistent* alfa = action.ActionParams();
  EXPECT_STREQ("Alfa", ParamsClass(action));
  action.SetActionParamsMode(Mode::pmMacr);
  EXPECT_EQ(Mode::pmMacr, action.ActionParamsMode());
  EXPECT_EQ(alfa, action.ActionParams()) << "an existing object stays";
}

constexpr const char* kProfile = "Software\\Quillon\\Tavion\\Keys\\Default";
constexpr const char* kAction = "Software\\Quillon\\Tavion\\Keys\\Default\\000";

bool SaveAction(TAction& action, RegistryStore& store) {
  return WriteObject(action, store, kProfile, "000", /*load=*/false);
}
void LoadAction(TAction& action, RegistryStore& store) {
  EXPECT_TRUE(WriteObject(action, store, kProfile, "000", /*load=*/true));
}

TEST(ActionRegistry, AnActionWithAllDefaultsLeavesNameExecAndEmptyKeys) {
  MemoryRegistry store;
  TAction action;
  action.SetName("Launch Winamp");
  action.SetExec("wa_wamp");
  ASSERT_TRUE(SaveAction(action, store));
  EXPECT_EQ((std::vector<std::string>{"[]", "Name='Launch Winamp'", "Exec='wa_wamp'",
                                      "[ActionExecOn]", "[ActionExecOn\\IfNW]",
                                      "[ActionExecOn\\IfWa]", "[ActionExecOn\\IfWe]",
                                      "[ActionExecOn\\IfWi]", "[ActionExecOn\\StFW]", "[Key0]"}),
            DumpTree(store, kAction));
}

TEST(ActionRegistry, AFullActionRoundTrips) {
  MemoryRegistry store;
  TAction action;
  action.SetName("Notepad");
  action.SetExec("srun");
  action.SetLevl(1);
  action.Key0().SetHKey(PackHotKey(120, 0, 0, kModAlt));
  action.ActionExecOn().Rept = 2;
  action.ActionExecOn().IfWa.Enbl = true;
  action.ActionExecOn().IfWa.AddWindow("nil", "%*%Notepad");
  auto* params = action.ParamsAs<TActionParamsSExec>();
  params->Oper = "Open";
  params->Path = "Notepad.exe";
  ASSERT_TRUE(SaveAction(action, store));
  EXPECT_EQ(
      (std::vector<std::string>{"Name='Notepad'", "Exec='srun'", "ActionParamsMode=1", "Levl=1"}),
      DumpValues(store, kAction));
  EXPECT_EQ((std::vector<std::string>{"ActionExecOn", "ActionParams", "Key0"}),
            store.SubKeyNames(kAction));

  TAction loaded;
  LoadAction(loaded, store);
  EXPECT_EQ(Mode::pmSExe, loaded.ActionParamsMode());
  ASSERT_NE(nullptr, loaded.ParamsAs<TActionParamsSExec>());
  EXPECT_EQ("Notepad.exe", loaded.ParamsAs<TActionParamsSExec>()->Path);
  EXPECT_EQ(1, loaded.ParamsAs<TActionParamsSExec>()->Show);
  MemoryRegistry again;
  ASSERT_TRUE(SaveAction(loaded, again));
  EXPECT_EQ(DumpTree(store, kProfile), DumpTree(again, kProfile));
}

TEST(ActionRegistry, TheCodeIsLoadedBeforeTheParametersItMakes) {
  MemoryRegistry store;
  store.WriteString(kAction, "Exec", "wm_scroll");
  store.WriteInteger(std::string(kAction) + "\\ActionParams", "Speed", 5);
  TAction action;
  LoadAction(action, store);
  EXPECT_EQ(Mode::pmNull, action.ActionParamsMode()) << "the mode is the stored one";
  const auto* scroll = action.ParamsAs<TActionParamsScroll>();
  ASSERT_NE(nullptr, scroll);
  EXPECT_EQ(5, scroll->Speed);
  EXPECT_FALSE(scroll->Pages) << "a value that is missing is false";
}

TEST(ActionRegistry, APluginCodeLoadsThePluginsOwnParameters) {
  MemoryRegistry store;
  store.WriteString(kAction, "Exec", kCdRomCode);
  store.WriteInteger(kAction, "ActionParamsMode", 5);
  store.WriteInteger(std::string(kAction) + "\\ActionParams\\Params", "Drive", 4);
  store.WriteString(std::string(kAction) + "\\ActionParams\\Params\\Deeper", "Label", "E:");

  {
    FakePlugins plugins({{kCdRomCode, {"Corvex.dll", "CDRom"}}});
    TAction action;
    LoadAction(action, store);
    const auto* plug = action.ParamsAs<TActionParamsPlug>();
    ASSERT_NE(nullptr, plug);
    EXPECT_EQ("CDRom", plug->ActionId);
    ASSERT_NE(nullptr, plug->Params);
    EXPECT_EQ(4u, static_cast<const DriveParams&>(*plug->Params).Drive);
  }

  // Without the plug-in the stored mode still makes a plug-in parameter object, which keeps the
  // plug-in's parameters as they were stored and writes them back so.
  TAction orphan;
  LoadAction(orphan, store);
  EXPECT_EQ(Mode::pmPlug, orphan.ActionParamsMode());
  ASSERT_NE(nullptr, orphan.ParamsAs<TActionParamsPlug>());
  EXPECT_EQ("", orphan.ParamsAs<TActionParamsPlug>()->LibraryFile);
  EXPECT_EQ(nullptr, orphan.ParamsAs<TActionParamsPlug>()->Params);
  MemoryRegistry again;
  ASSERT_TRUE(SaveAction(orphan, again));
  const std::string params = std::string(kAction) + "\\ActionParams";
  EXPECT_EQ(DumpTree(store, params), DumpTree(again, params));

  // A mode that makes no object leaves the stored parameters as they are too.
  store.WriteInteger(kAction, "ActionParamsMode", 0);
  TAction unknown;
  LoadAction(unknown, store);
  EXPECT_EQ(nullptr, unknown.ActionParams());
  MemoryRegistry third;
  ASSERT_TRUE(SaveAction(unknown, third));
  EXPECT_EQ(DumpTree(store, params), DumpTree(third, params));
}

TEST(ActionRegistry, AModeOutOfRangeLoadsAsNone) {
  MemoryRegistry store;
  store.WriteString(kAction, "Exec", "wa_play");
  store.WriteInteger(kAction, "ActionParamsMode", 9);
  TAction action;
  LoadAction(action, store);
  EXPECT_EQ(Mode::pmNull, action.ActionParamsMode());
  EXPECT_EQ(nullptr, action.ActionParams());
}

TEST(ActionsList, AddsDeletesAndFindsActions) {
  TActionsList list;
  EXPECT_EQ(0u, list.Count());
  EXPECT_EQ(nullptr, list.At(0));
  TAction& first = list.Add();
  TAction& second = list.Add();
  TAction& third = list.Add();
  first.SetName("1");
  third.SetName("3");
  EXPECT_EQ(3u, list.Count());
  EXPECT_EQ(&second, list.At(1));
  EXPECT_EQ(std::optional<std::size_t>(2), list.IndexOf(&third));

  EXPECT_FALSE(list.Delete(3));
  EXPECT_EQ(3u, list.Count());
  ASSERT_TRUE(list.Delete(1));
  EXPECT_EQ(2u, list.Count());
  EXPECT_EQ(&third, list.At(1)) << "the others keep their address";
  EXPECT_EQ("3", list.At(1)->Name());
  const TAction outside;
  EXPECT_EQ(std::nullopt, list.IndexOf(&outside));
  EXPECT_EQ(std::nullopt, list.IndexOf(nullptr));

  list.Clear();
  EXPECT_EQ(0u, list.Count());
}

}  // namespace
}  // namespace tavion
