// The form runtime over real controls, and the settings on the system: options in the Wine
// registry, the main window's placement and the process priority.
#include "settings/settings_system_win.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include "forms/form_win.h"
#include "native/registry_dump.h"
#include "settings/registry_win.h"
#include "settings/section_view.h"
#include "wine/support/test_support.h"
#include "ui/main_options.h"

namespace tavion {
namespace {

class SettingsWinTest : public testing::Test {
 protected:
  void SetUp() override { ResetSettings(); }
  void TearDown() override { ResetSettings(); }

  wine_test::TestWindow window_{{.width = 640, .height = 2400}};
  Win32Registry store_{HKEY_CURRENT_USER, kSettingsRootPath};
};

TEST_F(SettingsWinTest, OptionControlsSaveInTheirTypesAndLoadBackIntoAFreshForm) {
  std::vector<ControlDecl> table(MainOptionControls().begin(), MainOptionControls().end());
  ControlDecl columns;
  columns.name = "l_plg";
  columns.kind = ControlKind::kListView;
  columns.columns = {{"Name", 150}, {"File", 90}};
  table.push_back(columns);
  HWND tray = nullptr;
  {
    Win32Form form;
    ASSERT_TRUE(form.Create(window_.hwnd(), table));
    tray = form.Handle("Opt_TrayIcon");
    // Through the controls, as a user would.
    SendMessageW(tray, BM_CLICK, 0, 0);
    SendMessageW(FindWindowExW(window_.hwnd(), nullptr, L"Button", L"Left only"), BM_CLICK, 0, 0);
    SetWindowTextW(form.Handle("Opt_WAmp_Path"), L"D:\\Pl\u00E4yer\\winamp.exe");
    SendMessageW(form.Handle("OPT_OSD_SKIN"), CB_SETCURSEL, 4, 0);
    SendMessageW(form.Handle("l_plg"), LVM_SETCOLUMNWIDTH, 1, MAKELPARAM(77, 0));
    form.SetExpanded(*form.Find("Opt_ip1"), false);
    ASSERT_TRUE(SyncOptionControls(form, store_, kMainOptionPrefix, SyncMode::kSave));
  }
  EXPECT_FALSE(IsWindow(tray)) << "the form's controls go with it";
  EXPECT_EQ(RegistryValueType::kInteger, store_.TypeOf("", "TrayIcon"));
  EXPECT_EQ(RegistryValueType::kString, store_.TypeOf("", "WAmp_Path"));
  EXPECT_EQ(4u, store_.ReadInteger("Desk", "SkinType"));
  EXPECT_EQ(77u, store_.ReadInteger("Visual", "l_plg.Col1"));
  // A stored index beyond the items leaves a real combo box without a selection: it becomes 0.
  ASSERT_TRUE(store_.WriteInteger("Desk", "Animation", 9));

  Win32Form fresh;
  ASSERT_TRUE(fresh.Create(window_.hwnd(), table));
  SyncOptionControls(fresh, store_, kMainOptionPrefix, SyncMode::kLoad);
  EXPECT_EQ(BST_UNCHECKED, SendMessageW(fresh.Handle("Opt_TrayIcon"), BM_GETCHECK, 0, 0));
  EXPECT_EQ(1, fresh.ItemIndex(*fresh.Find("Opt_Mod_Proc")));
  EXPECT_EQ("D:\\Pl\xC3\xA4yer\\winamp.exe", fresh.Text(*fresh.Find("Opt_WAmp_Path")));
  EXPECT_EQ(4, SendMessageW(fresh.Handle("OPT_OSD_SKIN"), CB_GETCURSEL, 0, 0));
  EXPECT_EQ(0, SendMessageW(fresh.Handle("OPT_DESKANIM"), CB_GETCURSEL, 0, 0));
  EXPECT_EQ(77, SendMessageW(fresh.Handle("l_plg"), LVM_GETCOLUMNWIDTH, 1, 0));
  EXPECT_FALSE(fresh.Expanded(*fresh.Find("Opt_ip1")));
}

TEST_F(SettingsWinTest, TheWindowTakesTheLoadedPlaceAndSettingsSurviveARoundTrip) {
  Win32WindowGeometry geometry(window_.hwnd());
  MemoryForm form(MainOptionControls());
  SettingsRecord& s = Settings();
  ASSERT_TRUE(OptLoadPhase1(store_, s, OptLoadStart{"1.0.0.1", nullptr, nullptr}));
  for (const auto& [name, value] :
       {std::pair{"_FWidth", 520}, {"_FHeight", 410}, {"_FLeft", 33}, {"_FTop", 44}}) {
    ASSERT_TRUE(store_.WriteInteger("", name, value));
  }
  OptLoadPhase2(store_, s, form, geometry, OptLoadFull{false, "1.0", 45000});
  RECT r = {};
  GetWindowRect(window_.hwnd(), &r);
  EXPECT_EQ(33, r.left);
  EXPECT_EQ(44, r.top);
  EXPECT_EQ(520, r.right - r.left);
  EXPECT_EQ(410, r.bottom - r.top);
  EXPECT_EQ(SW_SHOWNORMAL, geometry.ShowCommandForFirstShow(SW_SHOWNORMAL));
  ASSERT_TRUE(store_.WriteInteger("", "_FMax", 1));
  OptLoadPhase2(store_, s, form, geometry, OptLoadFull{false, "1.0", 45000});
  EXPECT_FALSE(IsWindowVisible(window_.hwnd())) << "loading never shows the window";
  EXPECT_EQ(SW_SHOWMAXIMIZED, geometry.ShowCommandForFirstShow(SW_SHOWNORMAL));

  s.FontStyle = 0x0B;
  const std::vector<std::string> ignored = {"F1", "Ctrl + \"Q\""};
  OptSaveContext context{"1.0.0.1", "C:\\Tavion", &ignored, nullptr};
  ASSERT_TRUE(OptSave(store_, s, form, geometry, context));
  EXPECT_EQ(RegistryValueType::kBinary, store_.TypeOf("Misc", "LastUpdate"));
  EXPECT_EQ(RegistryValueType::kString, store_.TypeOf("ExKeys\\IgnoreList", "Items"));
  const std::vector<std::string> first = DumpTree(store_, "");

  ResetSettings();
  MemoryForm fresh(MainOptionControls());
  ASSERT_TRUE(OptLoadPhase1(store_, s, OptLoadStart{"1.0.0.1", nullptr, nullptr}));
  const LoadedLists lists = OptLoadPhase2(store_, s, fresh, geometry, OptLoadFull{false, "1.0", 0});
  EXPECT_EQ(ignored, lists.ignoredKeys);
  ASSERT_TRUE(store_.DeleteKey(""));
  context.ignoredKeys = &lists.ignoredKeys;
  ASSERT_TRUE(OptSave(store_, s, fresh, geometry, context));
  EXPECT_EQ(first, DumpTree(store_, ""));
}

TEST(ProcessPriority, RaisesTheProcessAndThreadClasses) {
  const wine_test::ScopeExit normal([] {
    SetPriorityClass(GetCurrentProcess(), NORMAL_PRIORITY_CLASS);
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_NORMAL);
  });
  ASSERT_TRUE(ApplyProcessPriority(ProcessPriority::kAboveNormal));
  EXPECT_EQ(DWORD{ABOVE_NORMAL_PRIORITY_CLASS}, GetPriorityClass(GetCurrentProcess()));
  EXPECT_EQ(THREAD_PRIORITY_ABOVE_NORMAL, GetThreadPriority(GetCurrentThread()));
  ASSERT_TRUE(ApplyProcessPriority(ProcessPriority::kHigh));
  EXPECT_EQ(DWORD{HIGH_PRIORITY_CLASS}, GetPriorityClass(GetCurrentProcess()));
  EXPECT_EQ(THREAD_PRIORITY_HIGHEST, GetThreadPriority(GetCurrentThread()));
}

}  // namespace
}  // namespace tavion
