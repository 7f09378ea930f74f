#include <windows.h>

#include <gtest/gtest.h>

#include "actions/action.h"
#include "settings/registry_win.h"

namespace tavion {
namespace {

constexpr const char* kProfile = "Software\\Quillon\\Tavion\\Keys\\Default";

// Every test starts from an empty HKCU\Software\Quillon (wine_test_main.cpp).
TEST(ActionOnTheSystemRegistry, RoundTripsWithTheSameValuesAndEmptyKeys) {
  Win32Registry store(HKEY_CURRENT_USER);
  TAction saved;
  saved.SetName("Type text");
  saved.SetExec("mc_text");
  saved.SetLevl(2);
  saved.Key0().SetHKey(PackHotKey(84, 0, 0, kModCtrl | kModAlt));
  saved.ActionExecOn().Rept = 200;
  saved.ActionExecOn().StFW.Enbl = true;
  saved.ActionExecOn().StFW.AddWindow("Notepad", "%*% - Notepad");
  auto* text = saved.ParamsAs<TActionParamsMacrText>();
  text->Text = "Line one\r\nLine \xC3\xA9\r\n";
  ASSERT_TRUE(WriteObject(saved, store, kProfile, "007", /*load=*/false));

  const std::string key = std::string(kProfile) + "\\007";
  EXPECT_EQ("Line one\x0E\x0ELine \xC3\xA9\x0E\x0E",
            store.ReadString(key + "\\ActionParams", "Text"));
  EXPECT_TRUE(store.KeyExists(key + "\\ActionExecOn\\IfWa"));
  EXPECT_TRUE(store.ValueNames(key + "\\ActionExecOn\\IfWa").empty());
  EXPECT_EQ(200u, store.ReadInteger(key + "\\ActionExecOn", "Rept"));

  TAction loaded;
  ASSERT_TRUE(WriteObject(loaded, store, kProfile, "007", /*load=*/true));
  EXPECT_EQ("Type text", loaded.Name());
  EXPECT_EQ(TActionParamsMode::pmMacrText, loaded.ActionParamsMode());
  EXPECT_EQ(2, loaded.Levl());
  EXPECT_EQ(saved.Key0(), loaded.Key0());
  EXPECT_EQ(200, loaded.ActionExecOn().Rept);
  EXPECT_TRUE(loaded.ActionExecOn().StFW.Enbl);
  EXPECT_EQ((WindowEntry{"Notepad", "%*% - Notepad"}), loaded.ActionExecOn().StFW.GetWindow(0));
  ASSERT_NE(nullptr, loaded.ParamsAs<TActionParamsMacrText>());
  EXPECT_EQ(text->Text, loaded.ParamsAs<TActionParamsMacrText>()->Text);
}

}  // namespace
}  // namespace tavion
