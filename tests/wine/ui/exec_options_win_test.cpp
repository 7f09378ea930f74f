// The window picker and the "Additional" tab's check tree, driven through their real controls.
// What they offer and decide is tested natively.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "actions/exec_on.h"
#include "base/utf_win.h"
#include "ui/exec_options_tab_win.h"
#include "ui/window_picker_win.h"
#include "wine/support/test_support.h"

namespace tavion {
namespace {

HWND Button(HWND parent, const wchar_t* caption) {
  return FindWindowExW(parent, nullptr, L"Button", caption);
}

void Click(HWND button) {
  SendMessageW(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
               reinterpret_cast<LPARAM>(button));
}

// What drives the picker: its window, its class edit and its caption edit.
using PickerScript = std::function<void(HWND picker, HWND classEdit, HWND captionEdit)>;

// Drives the picker, once it shows, from another thread with `script`; a picker the script leaves
// open is cancelled. Join the thread after the picker ended.
std::thread DrivePicker(PickerScript script) {
  return std::thread([script = std::move(script)] {
    HWND picker = wine_test::WaitForWindow(L"#32770", GetCurrentProcessId(), L"Select window");
    if (!picker) return;
    const std::vector<HWND> edits = wine_test::ChildrenOfClass(picker, L"Edit");
    if (edits.size() == 2) script(picker, edits[0], edits[1]);
    if (IsWindow(picker)) PostMessageW(picker, WM_COMMAND, IDCANCEL, 0);
  });
}

// Sets the picker's class and caption and confirms.
PickerScript Answer(const wchar_t* windowClass, const wchar_t* caption) {
  return [=](HWND picker, HWND classEdit, HWND captionEdit) {
    SetWindowTextW(classEdit, windowClass);
    SetWindowTextW(captionEdit, caption);
    Click(GetDlgItem(picker, IDOK));
  };
}

TEST(WindowPicker, OkOnEmptyEditsStaysOnTheClassAndAnyAndTheBrowseMenuFillThem) {
  wine_test::Process notepad;
  ASSERT_TRUE(notepad.Start(L"notepad.exe"));
  HWND notepadWindow = wine_test::WaitForWindow(L"Notepad", notepad.info.dwProcessId);
  ASSERT_NE(nullptr, notepadWindow);
  const std::wstring notepadCaption = wine_test::WindowText(notepadWindow);
  const std::wstring expected = L"Notepad | " + notepadCaption + L"   (notepad.exe)";
  HWND focusAfterRefusal = nullptr, classField = nullptr;
  std::wstring anyCaption;
  bool listsItself = false;
  std::thread driver = DrivePicker([&](HWND picker, HWND classEdit, HWND captionEdit) {
    classField = classEdit;
    SendMessageW(picker, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(captionEdit), TRUE);
    Click(GetDlgItem(picker, IDOK));
    GUITHREADINFO gui = {};
    gui.cbSize = sizeof(gui);
    GetGUIThreadInfo(GetWindowThreadProcessId(picker, nullptr), &gui);
    focusAfterRefusal = gui.hwndFocus;
    Click(Button(picker, L"A&ny"));
    anyCaption = wine_test::WindowText(captionEdit);
    HWND browse = Button(picker, L"&Browse...");
    PostMessageW(picker, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(browse), BN_CLICKED),
                 reinterpret_cast<LPARAM>(browse));
    HWND menuWindow = wine_test::WaitForWindow(L"#32768", GetCurrentProcessId());
    if (!menuWindow) return;
    const auto menu = reinterpret_cast<HMENU>(SendMessageW(menuWindow, MN_GETHMENU, 0, 0));
    int entry = -1;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
      wchar_t text[512] = {};
      GetMenuStringW(menu, static_cast<UINT>(i), text, 512, MF_BYPOSITION);
      if (text == expected) entry = i;
      listsItself |= std::wstring_view(text).find(L"Select window") != std::wstring_view::npos;
    }
    // The menu takes its keys from the picker thread's queue.
    for (int i = 0; i <= entry; ++i) PostMessageW(menuWindow, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(menuWindow, WM_KEYDOWN, entry < 0 ? VK_ESCAPE : VK_RETURN, 0);
    wine_test::PumpUntil([&] { return !IsWindowVisible(menuWindow); });
    Click(GetDlgItem(picker, IDOK));
  });
  wine_test::TestWindow owner;
  std::string windowClass, caption;
  const bool confirmed = PickWindow(owner.hwnd(), windowClass, caption, true);
  driver.join();
  EXPECT_EQ(classField, focusAfterRefusal);
  EXPECT_EQ(L"nil", anyCaption);
  EXPECT_FALSE(listsItself);
  EXPECT_EQ(std::tuple(true, std::string("Notepad"), WideToUtf8(notepadCaption)),
            std::tie(confirmed, windowClass, caption));
}

class AdditionalTabTest : public testing::Test {
 protected:
  void SetUp() override {
    ExecOptionsContext context;
    context.dialog = window.hwnd();
    context.layouts = {{0x04090409, L"English"}, {0x04190419, L"Russian"}};
    ASSERT_TRUE(tab.Create(window.hwnd(), context, 100));
    MoveWindow(tab.Handle(), 0, 0, 500, 600, TRUE);
    ShowWindow(tab.Handle(), SW_SHOW);
    tab.Layout(96);
    TActionExecOn options;
    options.IfWa.Enbl = true;
    options.IfWa.AddWindow("Notepad", "");
    tab.Load(options);
  }

  // The node showing `text`; every group is open after loading.
  HTREEITEM Item(const std::wstring& text) const {
    HWND tree = tab.Tree();
    for (HTREEITEM item = TreeView_GetRoot(tree); item;
         item = TreeView_GetNextVisible(tree, item)) {
      wchar_t buffer[128] = {};
      TVITEMW data = {};
      data.mask = TVIF_TEXT, data.hItem = item, data.pszText = buffer, data.cchTextMax = 128;
      if (TreeView_GetItem(tree, &data) && text == buffer) return item;
    }
    return nullptr;
  }
  // Selects the node and presses `key` on the tree.
  void Press(const std::wstring& text, UINT key) {
    TreeView_SelectItem(tab.Tree(), Item(text));
    SendMessageW(tab.Tree(), WM_KEYDOWN, key, 0);
  }
  UINT State(const std::wstring& text, UINT mask) const {
    return TreeView_GetItemState(tab.Tree(), Item(text), mask) & mask;
  }
  BOOL Enabled(const wchar_t* button) const {
    return IsWindowEnabled(Button(tab.Handle(), button));
  }

  wine_test::TestWindow window{
      {.style = WS_OVERLAPPEDWINDOW | WS_VISIBLE, .width = 520, .height = 640}};
  ExecOptionsTab tab;
};

TEST_F(AdditionalTabTest, SpaceTogglesChecksSwitchesRadioGroupsAndOpensOrClosesGroups) {
  Press(L"Never launch action", VK_SPACE);
  Press(L"3", VK_SPACE);
  Press(L"Russian", VK_SPACE);
  EXPECT_EQ(INDEXTOSTATEIMAGEMASK(4), State(L"3", TVIS_STATEIMAGEMASK));
  EXPECT_EQ(INDEXTOSTATEIMAGEMASK(3), State(L"1", TVIS_STATEIMAGEMASK));
  TActionExecOn stored;
  tab.Store(stored);
  EXPECT_EQ(std::tuple(true, int16_t{2}, 0x04190419u),
            std::tuple(stored.Nevr, stored.Rept, stored.Lang));
  Press(L"Launch action", VK_SPACE);
  EXPECT_EQ(0u, State(L"Launch action", TVIS_EXPANDED));
}

TEST_F(AdditionalTabTest, WindowEntriesAreEditedByDoubleClickAddedWithInsertAndDeleted) {
  TreeView_SelectItem(tab.Tree(), Item(L"Only if all windows NOT exists"));
  EXPECT_EQ(std::pair(TRUE, FALSE), std::pair(Enabled(L"Add"), Enabled(L"Edit")));
  RECT label = {};
  ASSERT_TRUE(TreeView_GetItemRect(tab.Tree(), Item(L"Notepad | nil"), &label, TRUE));
  std::thread driver = DrivePicker(Answer(L"Notepad", L"Untitled - Notepad"));
  SendMessageW(tab.Tree(), WM_LBUTTONDBLCLK, 0,
               MAKELPARAM((label.left + label.right) / 2, (label.top + label.bottom) / 2));
  driver.join();
  EXPECT_TRUE(Enabled(L"Edit"));
  driver = DrivePicker(Answer(L"SciCalc", L""));
  Press(L"Only if all windows NOT exists", VK_INSERT);
  driver.join();
  Press(L"Notepad | Untitled - Notepad", VK_DELETE);
  TActionExecOn stored;
  tab.Store(stored);
  EXPECT_EQ(0u, stored.IfWa.WindowCount());
  EXPECT_EQ((WindowEntry{"SciCalc", "nil"}), stored.IfNW.GetWindow(0));
}

}  // namespace
}  // namespace tavion
