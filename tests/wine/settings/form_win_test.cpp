#include "forms/form_win.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "settings/registry_win.h"
#include "settings/settings.h"
#include "ui/main_options.h"
#include "test_window.h"

namespace tavion {
namespace {

std::wstring ClassOf(HWND hwnd) {
  wchar_t name[64] = {};
  GetClassNameW(hwnd, name, 64);
  return name;
}

LONG_PTR StyleOf(HWND hwnd) {
  return GetWindowLongPtrW(hwnd, GWL_STYLE);
}

// A raw value of HKCU\Software\Quillon\Tavion\<section>: its type and size, and its data.
struct RawValue {
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
};

RawValue QueryRaw(const std::wstring& section, const wchar_t* name) {
  std::wstring path = L"Software\\Quillon\\Tavion";
  if (!section.empty()) path += L"\\" + section;
  HKEY key = nullptr;
  RawValue raw;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
    return raw;
  BYTE data[1024];
  DWORD size = sizeof data;
  if (RegQueryValueExW(key, name, nullptr, &raw.type, data, &size) == ERROR_SUCCESS)
    raw.data.assign(data, data + size);
  RegCloseKey(key);
  return raw;
}

DWORD DwordOf(const RawValue& raw) {
  DWORD value = 0;
  if (raw.data.size() == sizeof value) memcpy(&value, raw.data.data(), sizeof value);
  return value;
}

ControlDecl Columns() {
  ControlDecl list;
  list.name = "l_plg";
  list.kind = ControlKind::kListView;
  list.columns = {{"Name", 150}, {"File", 90}};
  return list;
}

TEST(Win32Form, CreatesTheMainOptionsAsTheirKindsInTheDesignedState) {
  TestWindow parent(640, 2400);
  ASSERT_NE(nullptr, parent.get());
  Win32Form form;
  ASSERT_TRUE(form.Create(parent.get(), MainOptionControls()));
  EXPECT_FALSE(form.Create(parent.get(), MainOptionControls())) << "a form is created once";
  MemoryForm designed(MainOptionControls());
  ASSERT_EQ(designed.ControlCount(), form.ControlCount());

  for (size_t i = 0; i < form.ControlCount(); ++i) {
    SCOPED_TRACE(form.Name(i));
    HWND hwnd = form.Handle(i);
    ASSERT_NE(nullptr, hwnd);
    EXPECT_EQ(hwnd, form.Handle(form.Name(i)));
    EXPECT_EQ(parent.get(), GetParent(hwnd));
    EXPECT_EQ(i, form.IndexOfId(GetDlgCtrlID(hwnd)));
    switch (form.Kind(i)) {
      case ControlKind::kCheckBox:
        EXPECT_EQ(L"Button", ClassOf(hwnd));
        EXPECT_EQ(BS_AUTOCHECKBOX, StyleOf(hwnd) & BS_TYPEMASK);
        EXPECT_EQ(designed.Checked(i), form.Checked(i));
        break;
      case ControlKind::kComboBox:
        EXPECT_EQ(std::wstring(WC_COMBOBOXW), ClassOf(hwnd));
        EXPECT_EQ(CBS_DROPDOWNLIST, StyleOf(hwnd) & 3);
        EXPECT_EQ(designed.ItemIndex(i), form.ItemIndex(i));
        break;
      case ControlKind::kRadioGroup:
        EXPECT_EQ(BS_GROUPBOX, StyleOf(hwnd) & BS_TYPEMASK);
        EXPECT_EQ(designed.ItemIndex(i), form.ItemIndex(i));
        break;
      case ControlKind::kEdit:
        EXPECT_EQ(L"Edit", ClassOf(hwnd));
        EXPECT_EQ(designed.Text(i), form.Text(i));
        break;
      case ControlKind::kInfoPanel:
        EXPECT_EQ(designed.Expanded(i), form.Expanded(i));
        break;
      default:
        ADD_FAILURE() << "the main options hold no other kind";
    }
  }
  EXPECT_EQ(nullptr, form.Handle("Opt_Missing"));
  EXPECT_EQ(std::nullopt, form.IndexOfId(1));
}

TEST(Win32Form, RadioButtonsBelongToTheirGroup) {
  TestWindow parent(640, 2400);
  Win32Form form;
  ASSERT_TRUE(form.Create(parent.get(), MainOptionControls()));
  const size_t group = *form.Find("Opt_Mod_Proc");
  // The group's buttons are the windows that follow it with the item captions.
  HWND button = FindWindowExW(parent.get(), nullptr, L"Button", L"Left only");
  ASSERT_NE(nullptr, button);
  EXPECT_EQ(group, form.IndexOfId(GetDlgCtrlID(button)));
  SendMessageW(button, BM_CLICK, 0, 0);
  EXPECT_EQ(1, form.ItemIndex(group));
  form.SetItemIndex(group, 2);
  EXPECT_EQ(BST_UNCHECKED, SendMessageW(button, BM_GETCHECK, 0, 0));
  EXPECT_EQ(2, form.ItemIndex(group));
  form.SetItemIndex(group, 7);
  EXPECT_EQ(-1, form.ItemIndex(group));
}

TEST(Win32Form, SavesOptionsToTheRegistryInTheirTypes) {
  TestWindow parent(640, 2400);
  std::vector<ControlDecl> table(MainOptionControls().begin(), MainOptionControls().end());
  table.push_back(Columns());
  Win32Form form;
  ASSERT_TRUE(form.Create(parent.get(), table));
  SendMessageW(form.Handle("Opt_TrayIcon"), BM_CLICK, 0, 0);
  SetWindowTextW(form.Handle("Opt_WAmp_Path"), L"D:\\Pl\u00E4yer\\winamp.exe");
  SendMessageW(form.Handle("OPT_OSD_SKIN"), CB_SETCURSEL, 4, 0);
  SendMessageW(form.Handle("l_plg"), LVM_SETCOLUMNWIDTH, 1, MAKELPARAM(77, 0));

  Win32Registry store(HKEY_CURRENT_USER, kSettingsRootPath);
  ASSERT_TRUE(SyncOptionControls(form, store, kMainOptionPrefix, SyncMode::kSave));

  const RawValue tray = QueryRaw(L"", L"TrayIcon");
  EXPECT_EQ(static_cast<DWORD>(REG_DWORD), tray.type);
  EXPECT_EQ(0u, DwordOf(tray));
  const RawValue path = QueryRaw(L"", L"WAmp_Path");
  ASSERT_EQ(static_cast<DWORD>(REG_SZ), path.type);
  EXPECT_EQ(std::wstring(L"D:\\Pl\u00E4yer\\winamp.exe"),
            reinterpret_cast<const wchar_t*>(path.data.data()));
  const RawValue skin = QueryRaw(L"Desk", L"SkinType");
  EXPECT_EQ(static_cast<DWORD>(REG_DWORD), skin.type);
  EXPECT_EQ(4u, DwordOf(skin));
  EXPECT_EQ(static_cast<DWORD>(REG_DWORD), QueryRaw(L"Desk", L"Shadow").type);
  EXPECT_EQ(static_cast<DWORD>(REG_NONE), QueryRaw(L"", L"Desk_Shadow").type);
  EXPECT_EQ(static_cast<DWORD>(REG_NONE), QueryRaw(L"", L"load").type);
  EXPECT_EQ(77u, DwordOf(QueryRaw(L"Visual", L"l_plg.Col1")));
  EXPECT_EQ(static_cast<DWORD>(REG_DWORD), QueryRaw(L"", L"ip2").type);
}

TEST(Win32Form, LoadsOptionsBackIntoAFreshForm) {
  std::vector<ControlDecl> table(MainOptionControls().begin(), MainOptionControls().end());
  table.push_back(Columns());
  Win32Registry store(HKEY_CURRENT_USER, kSettingsRootPath);
  {
    TestWindow parent(640, 2400);
    Win32Form form;
    ASSERT_TRUE(form.Create(parent.get(), table));
    form.SetChecked(*form.Find("Opt_AskOnExit"), false);
    form.SetChecked(*form.Find("Opt_Desk_KeyInfo"), false);
    form.SetItemIndex(*form.Find("Opt_Mod_Proc"), 2);
    form.SetItemIndex(*form.Find("Opt_PlayerType"), 5);
    form.SetText(*form.Find("Opt_WAmp_Path"), "E:\\w.exe");
    form.SetExpanded(*form.Find("Opt_ip1"), false);
    form.SetColumnWidth(*form.Find("l_plg"), 0, 210);
    ASSERT_TRUE(SyncOptionControls(form, store, kMainOptionPrefix, SyncMode::kSave));
  }
  // A stored index beyond the items leaves a real combo box without a selection: it becomes 0.
  ASSERT_TRUE(store.WriteInteger("Desk", "Animation", 9));

  TestWindow parent(640, 2400);
  Win32Form fresh;
  ASSERT_TRUE(fresh.Create(parent.get(), table));
  SyncOptionControls(fresh, store, kMainOptionPrefix, SyncMode::kLoad);
  EXPECT_EQ(BST_UNCHECKED, SendMessageW(fresh.Handle("Opt_AskOnExit"), BM_GETCHECK, 0, 0));
  EXPECT_EQ(BST_UNCHECKED, SendMessageW(fresh.Handle("Opt_Desk_KeyInfo"), BM_GETCHECK, 0, 0));
  EXPECT_EQ(BST_CHECKED, SendMessageW(fresh.Handle("Opt_TrayIcon"), BM_GETCHECK, 0, 0));
  EXPECT_EQ(2, fresh.ItemIndex(*fresh.Find("Opt_Mod_Proc")));
  EXPECT_EQ(5, SendMessageW(fresh.Handle("Opt_PlayerType"), CB_GETCURSEL, 0, 0));
  EXPECT_EQ(0, SendMessageW(fresh.Handle("OPT_DESKANIM"), CB_GETCURSEL, 0, 0));
  EXPECT_EQ("E:\\w.exe", fresh.Text(*fresh.Find("Opt_WAmp_Path")));
  EXPECT_FALSE(fresh.Expanded(*fresh.Find("Opt_ip1")));
  EXPECT_EQ(210, SendMessageW(fresh.Handle("l_plg"), LVM_GETCOLUMNWIDTH, 0, 0));
}

TEST(Win32Form, ControlsUseTheMessageFontAndPlacedControlsKeepTheirPlace) {
  TestWindow parent(640, 2400);
  ControlDecl placed;
  placed.name = "b_ok";
  placed.kind = ControlKind::kButton;
  placed.caption = "OK";
  placed.place = {300, 200, 75, 25};
  ControlDecl label;
  label.name = "l_info";
  label.kind = ControlKind::kLabel;
  label.caption = "Info";
  const std::vector<ControlDecl> table = {label, placed};
  Win32Form form;
  ASSERT_TRUE(form.Create(parent.get(), table));
  EXPECT_NE(nullptr, reinterpret_cast<HFONT>(SendMessageW(form.Handle("b_ok"), WM_GETFONT, 0, 0)));
  RECT r = {};
  GetWindowRect(form.Handle("b_ok"), &r);
  MapWindowPoints(nullptr, parent.get(), reinterpret_cast<POINT*>(&r), 2);
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  EXPECT_EQ(MulDiv(300, dpi, 96), r.left);
  EXPECT_EQ(MulDiv(75, dpi, 96), r.right - r.left);
  EXPECT_FALSE(form.IsWindowed(0)) << "labels are not option controls";
  EXPECT_LT(0, form.ContentHeight());
}

TEST(Win32Form, DestroyingTheFormRemovesItsControls) {
  TestWindow parent(640, 2400);
  HWND check = nullptr;
  {
    Win32Form form;
    ASSERT_TRUE(form.Create(parent.get(), MainOptionControls()));
    check = form.Handle("Opt_TrayIcon");
    ASSERT_TRUE(IsWindow(check));
  }
  EXPECT_FALSE(IsWindow(check));
  EXPECT_EQ(nullptr, GetWindow(parent.get(), GW_CHILD));
}

}  // namespace
}  // namespace tavion
