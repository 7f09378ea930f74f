#include "settings/form.h"

#include <gtest/gtest.h>

#include "registry_dump.h"
#include "settings/registry.h"
#include "ui/main_options.h"

namespace tavion {
namespace {

ControlDecl Decl(std::string name, ControlKind kind, std::string helpKeyword = {}) {
  ControlDecl decl;
  decl.name = std::move(name);
  decl.kind = kind;
  decl.helpKeyword = std::move(helpKeyword);
  return decl;
}

ControlDecl Choice(std::string name, ControlKind kind, int itemIndex) {
  ControlDecl decl = Decl(std::move(name), kind);
  decl.items = {"zero", "one", "two"};
  decl.itemIndex = itemIndex;
  return decl;
}

ControlDecl List(std::string name, std::string helpKeyword = {}) {
  ControlDecl decl = Decl(std::move(name), ControlKind::kListView, std::move(helpKeyword));
  decl.columns = {{"Name", 120}, {"HotKey", 80}};
  return decl;
}

// One control of every kind and every way of naming where it is kept.
std::vector<ControlDecl> SampleTable() {
  ControlDecl tray = Decl("Opt_TrayIcon", ControlKind::kCheckBox);
  tray.checked = true;
  ControlDecl path = Decl("OPT_Path", ControlKind::kEdit);
  path.text = "C:\\x";
  return {
      tray,
      Decl("opt_lower", ControlKind::kCheckBox),
      Decl("cb_load", ControlKind::kCheckBox),
      Decl("Opt_Desk_Shadow", ControlKind::kCheckBox, "Desk|Shadow"),
      Decl("Opt_Keyword", ControlKind::kCheckBox, "Whole"),
      Decl("Opt_EmptyIdent", ControlKind::kCheckBox, "Desk|"),
      path,
      Choice("Opt_Combo", ControlKind::kComboBox, 2),
      Choice("Opt_Radio", ControlKind::kRadioGroup, 1),
      Decl("Opt_ip0", ControlKind::kInfoPanel),
      Decl("Opt_Label", ControlKind::kLabel),
      Decl("Opt_Button", ControlKind::kButton),
      Decl("Opt_Group", ControlKind::kGroup),
      List("l_plg", "Desk|Ignored"),
  };
}

TEST(SyncOptionControls, SavesEachControlUnderItsSectionAndIdent) {
  const std::vector<ControlDecl> table = SampleTable();
  MemoryForm form(table);
  MemoryRegistry store;
  ASSERT_TRUE(SyncOptionControls(form, store, "OPT_", SyncMode::kSave));

  const std::vector<std::string> expected = {
      "[]",       "TrayIcon=1",     "lower=0",       "Path='C:\\x'", "Combo=2",
      "Radio=1",  "ip0=1",          "[Desk]",        "Shadow=0",     "EmptyIdent=0",
      "[Visual]", "l_plg.Col0=120", "l_plg.Col1=80", "[Whole]",      "Whole=0",
  };
  EXPECT_EQ(expected, DumpTree(store, ""));
  EXPECT_EQ(RegistryValueType::kInteger, store.TypeOf("", "TrayIcon"));
  EXPECT_EQ(RegistryValueType::kString, store.TypeOf("", "Path"));
}

TEST(SyncOptionControls, LoadsStoredStateAndKeepsDesignedStateForMissingValues) {
  const std::vector<ControlDecl> table = SampleTable();
  MemoryForm form(table);
  MemoryRegistry store;
  store.WriteInteger("", "TrayIcon", 0);
  store.WriteInteger("", "lower", 7);
  store.WriteInteger("", "load", 1);  // cb_load is not an option control
  store.WriteInteger("Desk", "Shadow", 1);
  store.WriteString("", "Path", "D:\\player.exe");
  store.WriteInteger("", "Radio", 2);
  store.WriteInteger("", "ip0", 0);
  store.WriteInteger("Visual", "l_plg.Col1", 33);
  SyncOptionControls(form, store, "OPT_", SyncMode::kLoad);

  auto at = [&](std::string_view name) { return *form.Find(name); };
  EXPECT_FALSE(form.Checked(at("Opt_TrayIcon")));
  EXPECT_TRUE(form.Checked(at("opt_lower")));
  EXPECT_FALSE(form.Checked(at("cb_load")));
  EXPECT_TRUE(form.Checked(at("Opt_Desk_Shadow")));
  EXPECT_EQ("D:\\player.exe", form.Text(at("OPT_Path")));
  EXPECT_EQ(2, form.ItemIndex(at("Opt_Combo")));
  EXPECT_EQ(2, form.ItemIndex(at("Opt_Radio")));
  EXPECT_FALSE(form.Expanded(at("Opt_ip0")));
  EXPECT_EQ((std::vector<int>{120, 33}), form.ColumnWidths(at("l_plg")));
}

TEST(SyncOptionControls, ChoicesWithoutAValidStoredIndexFallBackToTheFirstItem) {
  struct Case {
    const char* what;
    uint32_t stored;
    int expected;
  };
  const Case cases[] = {
      {"negative", static_cast<uint32_t>(-1), 0},
      {"beyond the items", 99, 0},
      {"last item", 2, 2},
  };
  for (const Case& c : cases) {
    for (ControlKind kind : {ControlKind::kComboBox, ControlKind::kRadioGroup}) {
      const std::vector<ControlDecl> table = {Choice("Opt_Pick", kind, 1)};
      MemoryForm form(table);
      MemoryRegistry store;
      store.WriteInteger("", "Pick", c.stored);
      SyncOptionControls(form, store, "OPT_", SyncMode::kLoad);
      EXPECT_EQ(c.expected, form.ItemIndex(0)) << c.what;
    }
  }
}

TEST(SyncOptionControls, ValuesOfAnotherTypeLeaveTheControlAsItWas) {
  const std::vector<ControlDecl> table = SampleTable();
  MemoryForm form(table);
  MemoryRegistry store;
  store.WriteString("", "TrayIcon", "0");
  store.WriteInteger("", "Path", 5);
  store.WriteString("", "Combo", "1");
  const uint8_t shortDword[] = {1, 0};
  store.WriteOther("Desk", "Shadow", shortDword);
  store.WriteString("Visual", "l_plg.Col0", "9");
  SyncOptionControls(form, store, "OPT_", SyncMode::kLoad);

  EXPECT_TRUE(form.Checked(*form.Find("Opt_TrayIcon")));
  EXPECT_EQ("C:\\x", form.Text(*form.Find("OPT_Path")));
  EXPECT_EQ(2, form.ItemIndex(*form.Find("Opt_Combo")));
  EXPECT_FALSE(form.Checked(*form.Find("Opt_Desk_Shadow")));
  EXPECT_EQ((std::vector<int>{120, 80}), form.ColumnWidths(*form.Find("l_plg")));
}

TEST(SyncOptionControls, APrefixInLowerCaseMatchesNothingButListViews) {
  const std::vector<ControlDecl> table = SampleTable();
  MemoryForm form(table);
  MemoryRegistry store;
  SyncOptionControls(form, store, "Opt_", SyncMode::kSave);
  EXPECT_EQ((std::vector<std::string>{"[]", "[Visual]", "l_plg.Col0=120", "l_plg.Col1=80"}),
            DumpTree(store, ""));
}

TEST(MemoryForm, StartsInTheDesignedStateAndIgnoresStateOfOtherKinds) {
  const std::vector<ControlDecl> table = SampleTable();
  MemoryForm form(table);
  const size_t tray = *form.Find("Opt_TrayIcon");
  const size_t combo = *form.Find("Opt_Combo");
  EXPECT_TRUE(form.Checked(tray));
  EXPECT_EQ(2, form.ItemIndex(combo));
  EXPECT_EQ(std::nullopt, form.Find("opt_trayicon"));

  form.SetText(tray, "text");
  form.SetItemIndex(tray, 1);
  form.SetChecked(combo, true);
  form.SetColumnWidth(*form.Find("l_plg"), 5, 10);
  EXPECT_EQ("", form.Text(tray));
  EXPECT_EQ(-1, form.ItemIndex(tray));
  EXPECT_FALSE(form.Checked(combo));
  EXPECT_EQ((std::vector<int>{120, 80}), form.ColumnWidths(*form.Find("l_plg")));
  EXPECT_FALSE(form.IsWindowed(*form.Find("Opt_Label")));
  EXPECT_TRUE(form.IsWindowed(*form.Find("Opt_Group")));
}

// The main window's option controls as designed are exactly the documented values, names,
// types and defaults, with the five OSD controls in section Desk.
TEST(MainOptionControls, DesignedStateSavesAsTheDocumentedDefaults) {
  MemoryForm form(MainOptionControls());
  MemoryRegistry store;
  ASSERT_TRUE(SyncOptionControls(form, store, kMainOptionPrefix, SyncMode::kSave));
  const std::vector<std::string> expected = {
      "[]",
      "TrayIcon=1",
      "SoundExec=0",
      "AskOnExit=1",
      "StayOnTop=0",
      "SemiKeyAc=0",
      "MiceKeyAc=1",
      "TYPE_NOTIFY=0",
      "Mod_Proc=0",
      "MinOnExit=0",
      "tr_icon=1",
      "tr_upkeys=0",
      "tr_delay=0",
      "FullKeysComp=0",
      "LockState=1",
      "Hid_Ex=1",
      "Hid_Keyboard=0",
      "Hid_Mice=0",
      "WAmp_Path='C:\\Program Files\\Winamp\\Winamp.exe'",
      "Secn_Exit=1",
      "Auto_Play=1",
      "SetFoc_SH=1",
      "Play_Paus=1",
      "AutodePlayer=1",
      "PlayerType=0",
      "CheckUpdates=1",
      "ip0=1",
      "ip1=1",
      "ip2=1",
      "[Desk]",
      "DeskEx=1",
      "Animation=1",
      "Shadow=1",
      "KeyInfo=1",
      "SkinType=1",
  };
  EXPECT_EQ(expected, DumpTree(store, ""));
}

TEST(MainOptionControls, ChoicesHoldTheirItemsAndTheGeneralCheckBoxesAreNotPersisted) {
  MemoryForm form(MainOptionControls());
  const auto items = [](std::string_view name) {
    for (const ControlDecl& decl : MainOptionControls())
      if (decl.name == name) return decl.items.size();
    return size_t{0};
  };
  EXPECT_EQ(3u, items("Opt_Mod_Proc"));
  EXPECT_EQ(6u, items("Opt_PlayerType"));
  EXPECT_EQ(2u, items("OPT_DESKANIM"));
  EXPECT_EQ(7u, items("OPT_OSD_SKIN"));
  for (const char* name : {"cb_load", "cb_sound"}) {
    ASSERT_TRUE(form.Find(name).has_value()) << name;
    form.SetChecked(*form.Find(name), true);
  }
  MemoryRegistry store;
  SyncOptionControls(form, store, kMainOptionPrefix, SyncMode::kSave);
  EXPECT_FALSE(store.ValueExists("", "load"));
  EXPECT_FALSE(store.ValueExists("", "sound"));
}

}  // namespace
}  // namespace tavion
