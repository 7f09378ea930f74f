// The form runtime over real controls, and the settings on the system: the main window's
// placement and the process priority.
#include "settings/settings_system_win.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <array>

#include "forms/form_win.h"
#include "settings/registry_win.h"
#include "settings/section_view.h"
#include "ui/main_options.h"
#include "wine/support/test_support.h"

namespace tavion {
namespace {

TEST(Win32FormOptions, ControlsSaveInTheirTypesAndLoadBackIntoAFreshForm) {
  wine_test::TestWindow window({.width = 640, .height = 2400});
  Win32Registry store(HKEY_CURRENT_USER, kSettingsRootPath);
  std::vector<ControlDecl> table(MainOptionControls().begin(), MainOptionControls().end());
  ControlDecl columns;
  columns.name = "l_plg";
  columns.kind = ControlKind::kListView;
  columns.columns = {{"Name", 150}, {"File", 90}};
  table.push_back(columns);
  HWND tray = nullptr;
  {
    Win32Form form;
    ASSERT_TRUE(form.Create(window.hwnd(), table));
    tray = form.Handle("Opt_TrayIcon");
    // Through the controls, as a user would.
    SendMessageW(tray, BM_CLICK, 0, 0);
    SendMessageW(FindWindowExW(window.hwnd(), nullptr, L"Button", L"Left only"), BM_CLICK, 0, 0);
    SetWindowTextW(form.Handle("Opt_WAmp_Path"), L"D:\\Pl\u00E4yer\\winamp.exe");
    SendMessageW(form.Handle("OPT_OSD_SKIN"), CB_SETCURSEL, 4, 0);
    SendMessageW(form.Handle("l_plg"), LVM_SETCOLUMNWIDTH, 1, MAKELPARAM(77, 0));
    form.SetExpanded(*form.Find("Opt_ip1"), false);
    ASSERT_TRUE(SyncOptionControls(form, store, kMainOptionPrefix, SyncMode::kSave));
  }
  EXPECT_FALSE(IsWindow(tray)) << "the form's controls go with it";
  // A stored index beyond the items leaves a real combo box without a selection: it becomes 0.
  ASSERT_TRUE(store.WriteInteger("Desk", "Animation", 9));

  Win32Form fresh;
  ASSERT_TRUE(fresh.Create(window.hwnd(), table));
  SyncOptionControls(fresh, store, kMainOptionPrefix, SyncMode::kLoad);
  EXPECT_EQ(BST_UNCHECKED, SendMessageW(fresh.Handle("Opt_TrayIcon"), BM_GETCHECK, 0, 0));
  EXPECT_EQ(1, fresh.ItemIndex(*fresh.Find("Opt_Mod_Proc")));
  EXPECT_EQ("D:\\Pl\xC3\xA4yer\\winamp.exe", fresh.Text(*fresh.Find("Opt_WAmp_Path")));
  EXPECT_EQ(4, SendMessageW(fresh.Handle("OPT_OSD_SKIN"), CB_GETCURSEL, 0, 0));
  EXPECT_EQ(0, SendMessageW(fresh.Handle("OPT_DESKANIM"), CB_GETCURSEL, 0, 0));
  EXPECT_EQ(77, SendMessageW(fresh.Handle("l_plg"), LVM_GETCOLUMNWIDTH, 1, 0));
  EXPECT_FALSE(fresh.Expanded(*fresh.Find("Opt_ip1")));
}

TEST(Win32FormKinds, SliderShowsItsValueAndMemoTakesEnterAndCtrlA) {
  wine_test::TestWindow window({.width = 400, .height = 300});
  std::vector<ControlDecl> table(2);
  table[0].name = "tb", table[0].kind = ControlKind::kSlider, table[0].caption = "Speed";
  table[0].minValue = 1, table[0].maxValue = 20, table[0].itemIndex = 25;
  table[1].name = "m", table[1].kind = ControlKind::kMemo, table[1].text = "one\r\ntwo";
  Win32Form form;
  ASSERT_TRUE(form.Create(window.hwnd(), table));
  // The user moves the slider with the keyboard: its number follows.
  SendMessageW(form.Handle("tb"), WM_KEYDOWN, VK_LEFT, 0);
  EXPECT_EQ(19, form.ItemIndex(0));
  EXPECT_NE(nullptr, FindWindowExW(window.hwnd(), nullptr, L"Static", L"19"));

  HWND memo = form.Handle("m");
  const auto dialogCode = [&](WPARAM key) {
    MSG msg = {memo, WM_KEYDOWN, key, 0, 0, {}};
    return SendMessageW(memo, WM_GETDLGCODE, key, reinterpret_cast<LPARAM>(&msg));
  };
  EXPECT_TRUE(dialogCode(VK_RETURN) & DLGC_WANTMESSAGE) << "Enter makes a new line";
  EXPECT_FALSE(dialogCode(VK_TAB) & (DLGC_WANTMESSAGE | DLGC_WANTALLKEYS | DLGC_WANTTAB));
  EXPECT_FALSE(dialogCode(VK_ESCAPE) & (DLGC_WANTMESSAGE | DLGC_WANTALLKEYS));
  BYTE keys[256] = {};
  ASSERT_TRUE(GetKeyboardState(keys));
  keys[VK_CONTROL] = 0x80;
  SetKeyboardState(keys);
  SendMessageW(memo, WM_KEYDOWN, 'A', 0);
  keys[VK_CONTROL] = 0;
  SetKeyboardState(keys);
  DWORD start = 1, end = 0;
  SendMessageW(memo, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ((std::pair<DWORD, DWORD>(0, 8)), std::pair(start, end));
}

TEST(Win32WindowGeometry, MovesTheHiddenWindowAndMaximisesItOnlyWhenItIsShown) {
  wine_test::TestWindow window;
  Win32WindowGeometry geometry(window.hwnd());
  geometry.SetSize(520, 410);
  geometry.SetLeft(33);
  geometry.SetTop(44);
  RECT r = {};
  GetWindowRect(window.hwnd(), &r);
  EXPECT_EQ((std::array<LONG, 4>{33, 44, 553, 454}),
            (std::array{r.left, r.top, r.right, r.bottom}));
  EXPECT_EQ(SW_SHOWNORMAL, geometry.ShowCommandForFirstShow(SW_SHOWNORMAL));
  geometry.Maximize();
  EXPECT_FALSE(IsWindowVisible(window.hwnd())) << "loading never shows the window";
  EXPECT_EQ(SW_SHOWMAXIMIZED, geometry.ShowCommandForFirstShow(SW_SHOWNORMAL));
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
