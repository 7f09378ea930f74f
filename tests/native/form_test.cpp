#include "settings/form.h"

#include <gtest/gtest.h>

#include "registry_dump.h"
#include "settings/registry.h"

namespace tavion {
namespace {

// A control of `kind` kept at `helpKeyword` (when given); a choice has three items.
ControlDecl Decl(std::string name, ControlKind kind, std::string helpKeyword = {},
                 int itemIndex = -1) {
  ControlDecl decl;
  decl.name = std::move(name), decl.kind = kind, decl.helpKeyword = std::move(helpKeyword);
  decl.items = {"zero", "one", "two"}, decl.itemIndex = itemIndex;
  return decl;
}

// One control of every kind and every way of naming where it is kept.
std::vector<ControlDecl> SampleTable() {
  std::vector<ControlDecl> table = {
      Decl("Opt_TrayIcon", ControlKind::kCheckBox),
      Decl("opt_lower", ControlKind::kCheckBox),
      Decl("cb_load", ControlKind::kCheckBox),
      Decl("Opt_Desk_Shadow", ControlKind::kCheckBox, "Desk|Shadow"),
      Decl("Opt_Keyword", ControlKind::kCheckBox, "Whole"),
      Decl("Opt_EmptyIdent", ControlKind::kCheckBox, "Desk|"),
      Decl("OPT_Path", ControlKind::kEdit),
      Decl("Opt_Combo", ControlKind::kComboBox, {}, 2),
      Decl("Opt_Radio", ControlKind::kRadioGroup, {}, 1),
      Decl("Opt_Pick", ControlKind::kComboBox, {}, 1),
      Decl("Opt_ip0", ControlKind::kInfoPanel),
      Decl("Opt_Label", ControlKind::kLabel),
      Decl("Opt_Group", ControlKind::kGroup),
      Decl("l_plg", ControlKind::kListView, "Desk|Ignored"),
      Decl("Opt_Time", ControlKind::kSpinEdit, {}, 40),
      Decl("Opt_Level", ControlKind::kSlider, {}, 3),
      Decl("Opt_Notes", ControlKind::kMemo),
  };
  table[0].checked = true, table[6].text = "C:\\x";
  table[13].columns = {{"Name", 120}, {"HotKey", 80}};
  table[14].minValue = 10, table[14].maxValue = 50;
  table[15].minValue = 1, table[15].maxValue = 20;
  return table;
}

// Stored state is loaded; a missing value or one of another type leaves the designed state; a
// choice without a valid stored index falls back to the first item; a number is kept in range.
TEST(SyncOptionControls, LoadsStoredStateOfTheRightTypeOnly) {
  MemoryForm form(SampleTable());
  MemoryRegistry store;
  PutTree(store, "",  // cb_load is no option control
          {"[]", "TrayIcon=0", "lower=7", "load=1", "Path='D:\\player.exe'", "ip0=0", "Combo='1'",
           "Radio=4294967295", "Pick=2", "Time=70", "Level=0", "Notes='a\r\nb'", "[Visual]",
           "l_plg.Col1=33", "l_plg.Col0='9'"});
  store.WriteOther("Desk", "Shadow", std::vector<uint8_t>{1, 0});
  SyncOptionControls(form, store, "OPT_", SyncMode::kLoad);
  store.WriteInteger("", "Path", 5);
  store.WriteString("", "TrayIcon", "1");
  store.WriteInteger("", "Radio", 99);
  SyncOptionControls(form, store, "OPT_", SyncMode::kLoad);
  EXPECT_FALSE(form.Checked(*form.Find("cb_load")));
  MemoryRegistry saved;
  ASSERT_TRUE(SyncOptionControls(form, saved, "OPT_", SyncMode::kSave));
  EXPECT_EQ(
      (std::vector<std::string>{"[]", "TrayIcon=0", "lower=1", "Path='D:\\player.exe'", "Combo=2",
                                "Radio=0", "Pick=2", "ip0=0", "Time=50", "Level=1",
                                "Notes='a\r\nb'", "[Desk]", "Shadow=0", "EmptyIdent=0", "[Visual]",
                                "l_plg.Col0=120", "l_plg.Col1=33", "[Whole]", "Whole=0"}),
      DumpTree(saved, ""));
}

}  // namespace
}  // namespace tavion
