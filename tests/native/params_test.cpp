#include "actions/params.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "registry_dump.h"

namespace tavion {
namespace {

std::vector<std::string> SavedTree(Persistent& object) {
  MemoryRegistry store;
  EXPECT_TRUE(WriteObject(object, store, "A", "ActionParams", /*load=*/false));
  return DumpTree(store, "A\\ActionParams");
}

struct ParamsCase {
  const char* name;
  std::function<std::unique_ptr<Persistent>()> make;
  // What a new object stores.
  std::vector<std::string> initial;
  // Fills every field with a value that is not a default, in any order.
  std::function<void(Persistent&)> fill;
  // What the filled object stores.
  std::vector<std::string> filled;
};

std::vector<ParamsCase> Cases() {
  return {
      {"SExec",
       [] { return std::make_unique<TActionParamsSExec>(); },
       {"[]", "Show=1"},
       [](Persistent& o) {
         auto& p = static_cast<TActionParamsSExec&>(o);
         p.Switch = true;
         p.Show = 3;
         p.Fold = "C:\\";
         p.Parm = "/E:on";
         p.Path = "cmd.exe";
         p.Oper = "Open";
       },
       {"[]", "Oper='Open'", "Path='cmd.exe'", "Parm='/E:on'", "Fold='C:\\'", "Show=3",
        "Switch=1"}},
      {"RKey",
       [] { return std::make_unique<TActionParamsRKey>(); },
       {"[]", "[Key]"},
       [](Persistent& o) {
         auto& p = static_cast<TActionParamsRKey&>(o);
         p.Lang = 0x0409;
         p.Key.SetHKey(PackHotKey(65, 0, 0, kModShift));
       },
       {"[]", "Lang=1033", "[Key]", "HKey=16644"}},
      {"Macr",
       [] { return std::make_unique<TActionParamsMacr>(); },
       {"[]"},
       [](Persistent& o) { static_cast<TActionParamsMacr&>(o).Name = "greeting"; },
       {"[]", "Name='greeting'"}},
      {"MacrText",
       [] { return std::make_unique<TActionParamsMacrText>(); },
       {"[]"},
       [](Persistent& o) {
         auto& p = static_cast<TActionParamsMacrText&>(o);
         p.FileEncoding = 1;
         p.FileName = "C:\\t.txt";
         p.Text = "Dear Sir,\r\nYours";
         p.Mode = 1;
       },
       {"[]", "Mode=1", "Text='Dear Sir,\x0E\x0EYours'", "FileName='C:\\t.txt'", "FileEncoding=1"}},
      {"Alfa",
       [] { return std::make_unique<TActionParamsAlfa>(); },
       {"[]"},
       [](Persistent& o) {
         auto& p = static_cast<TActionParamsAlfa&>(o);
         p.Value = 200;
         p.Mode = 2;
       },
       {"[]", "Mode=2", "Value=200"}},
      {"Scroll",
       [] { return std::make_unique<TActionParamsScroll>(); },
       {"[]", "Pages=1", "Speed=1"},
       [](Persistent& o) {
         auto& p = static_cast<TActionParamsScroll&>(o);
         p.Speed = 20;
         p.Mode = 3;
         p.hWndType = 1;
       },
       {"[]", "hWndType=1", "Mode=3", "Pages=1", "Speed=20"}},
      {"SMsg",
       [] { return std::make_unique<TActionParamsSMsg>(); },
       {"[]"},
       [](Persistent& o) {
         auto& p = static_cast<TActionParamsSMsg&>(o);
         p.Lprm = -1;
         p.Wprm = 0x10;
         p.SMsg = 0x111;
         p.Mode = 4;
         p.AddWindow("Winamp v1.x", "");
       },
       {"[]", "WCls='\"Winamp v1.x\"'", "WCap='nil'", "Mode=4", "SMsg=273", "Wprm=16",
        "Lprm=4294967295"}},
  };
}

TEST(Params, NewObjectsStoreTheirInitialValues) {
  for (const ParamsCase& c : Cases()) {
    std::unique_ptr<Persistent> object = c.make();
    EXPECT_EQ(c.initial, SavedTree(*object)) << c.name;
  }
}

TEST(Params, FieldsAreStoredInTheirOrder) {
  for (const ParamsCase& c : Cases()) {
    std::unique_ptr<Persistent> object = c.make();
    c.fill(*object);
    EXPECT_EQ(c.filled, SavedTree(*object)) << c.name;
  }
}

TEST(Params, LoadingRestoresWhatWasSaved) {
  for (const ParamsCase& c : Cases()) {
    std::unique_ptr<Persistent> saved = c.make();
    c.fill(*saved);
    MemoryRegistry store;
    ASSERT_TRUE(WriteObject(*saved, store, "A", "P", /*load=*/false));
    std::unique_ptr<Persistent> loaded = c.make();
    ASSERT_TRUE(WriteObject(*loaded, store, "A", "P", /*load=*/true));
    EXPECT_EQ(c.filled, SavedTree(*loaded)) << c.name;
  }
}

TEST(Params, InitialValuesThatAreSetToDefaultsSurviveTheRoundTrip) {
  // Pages false and Show 0 are not written, so loading must assign them, not keep the initial
  // true and 1 of a new object.
  TActionParamsScroll scroll;
  scroll.Pages = false;
  scroll.Speed = 0;
  TActionParamsSExec exec;
  exec.Show = 0;
  MemoryRegistry store;
  ASSERT_TRUE(WriteObject(scroll, store, "A", "Scroll", /*load=*/false));
  ASSERT_TRUE(WriteObject(exec, store, "A", "Exec", /*load=*/false));
  EXPECT_TRUE(store.ValueNames("A\\Scroll").empty());

  TActionParamsScroll loadedScroll;
  TActionParamsSExec loadedExec;
  ASSERT_TRUE(WriteObject(loadedScroll, store, "A", "Scroll", /*load=*/true));
  ASSERT_TRUE(WriteObject(loadedExec, store, "A", "Exec", /*load=*/true));
  EXPECT_FALSE(loadedScroll.Pages);
  EXPECT_EQ(0, loadedScroll.Speed);
  EXPECT_EQ(0, loadedExec.Show);
}

TEST(Params, SendMessageNamesOneWindow) {
  TActionParamsSMsg params;
  EXPECT_EQ(0, params.MatchFlags());
  params.AddWindow("First", "one");
  params.AddWindow("Second", "two");
  EXPECT_EQ(1u, params.WindowCount());
  EXPECT_EQ((WindowEntry{"Second", "two"}), params.GetWindow(0));
}

// A plug-in's parameter object with one value.
class PluginObject final : public Persistent {
 public:
  std::span<const Property> Properties() const override {
    static constexpr Property kProperties[] = {IntegerField<&PluginObject::Drive>("Drive")};
    return kProperties;
  }
  uint32_t Drive = 0;
};

TEST(Params, PluginParamsAreStoredOnlyWhenThePluginMadeThem) {
  TActionParamsPlug none;
  none.LibraryFile = "Corvex.dll";
  none.ActionId = "CDRom";
  EXPECT_EQ(std::vector<std::string>{"[]"}, SavedTree(none)) << "the identifiers are not stored";

  TActionParamsPlug with;
  with.Params = PluginParams(new PluginObject, {});
  static_cast<PluginObject&>(*with.Params).Drive = 4;
  EXPECT_EQ((std::vector<std::string>{"[]", "[Params]", "Drive=4"}), SavedTree(with));
}

TEST(Params, PluginParamsGoBackToThePluginOnce) {
  std::vector<Persistent*> released;
  auto* object = new PluginObject;
  {
    TActionParamsPlug plug;
    plug.Params = PluginParams(object, {[&](Persistent* p) {
                                 released.push_back(p);
                                 delete p;
                               }});
  }
  EXPECT_EQ(std::vector<Persistent*>{object}, released);
}

}  // namespace
}  // namespace tavion
