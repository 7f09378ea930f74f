// The window picker and the "Additional" tab's check tree, driven through their real controls.
// What they offer and decide is tested natively.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "base/utf_win.h"
#include "actions/exec_on.h"
#include "ui/exec_options_tab_win.h"
#include "ui/window_picker_win.h"
#include "wine/support/test_support.h"

namespace tavion {
namespace {

using wine_test::ChildrenOfClass;
using wine_test::PumpUntil;

HWND ButtonCaptioned(HWND dialog, const wchar_t* caption) {
  for (HWND button : ChildrenOfClass(dialog, L"Button"))
    if (wine_test::WindowText(button) == caption) return button;
  return nullptr;
}

void Click(HWND button) {
  SendMessageW(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
               reinterpret_cast<LPARAM>(button));
}

// Drives the picker, once it shows, from another thread with `script`, given the picker's
// window; a picker the script leaves open is cancelled. Join the thread after the picker ended.
std::thread DrivePicker(std::function<void(HWND picker)> script) {
  return std::thread([script = std::move(script)] {
    HWND picker = wine_test::WaitForWindow(L"#32770", GetCurrentProcessId(), L"Select window");
    if (picker) script(picker);
    if (picker && IsWindow(picker)) PostMessageW(picker, WM_COMMAND, IDCANCEL, 0);
  });
}

// Sets the picker's class and caption edits and confirms.
std::function<void(HWND)> Answer(const wchar_t* windowClass, const wchar_t* caption) {
  return [=](HWND picker) {
    const std::vector<HWND> edits = ChildrenOfClass(picker, L"Edit");
    if (edits.size() != 2) return;
    SendMessageW(edits[0], WM_SETTEXT, 0, reinterpret_cast<LPARAM>(windowClass));
    SendMessageW(edits[1], WM_SETTEXT, 0, reinterpret_cast<LPARAM>(caption));
    Click(GetDlgItem(picker, IDOK));
  };
}

// Runs the picker on this thread over empty texts while `script` drives it.
bool RunPicker(std::string& windowClass, std::string& caption,
               std::function<void(HWND picker)> script) {
  wine_test::TestWindow owner;
  std::thread driver = DrivePicker(std::move(script));
  const bool confirmed = PickWindow(owner.hwnd(), windowClass, caption, true);
  driver.join();
  return confirmed;
}

TEST(WindowPicker, OkWithBothEditsEmptyStaysOpenOnTheClassAndAnyGivesNil) {
  bool stayedOpen = false;
  HWND focusAfterRefusal = nullptr;
  HWND classEdit = nullptr;
  std::string windowClass, caption;
  const bool confirmed = RunPicker(windowClass, caption, [&](HWND picker) {
    const std::vector<HWND> edits = ChildrenOfClass(picker, L"Edit");
    if (edits.size() != 2) return;
    classEdit = edits[0];
    SendMessageW(picker, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(edits[1]), TRUE);
    Click(GetDlgItem(picker, IDOK));
    stayedOpen = IsWindowVisible(picker);
    GUITHREADINFO gui = {};
    gui.cbSize = sizeof(gui);
    GetGUIThreadInfo(GetWindowThreadProcessId(picker, nullptr), &gui);
    focusAfterRefusal = gui.hwndFocus;
    Click(ButtonCaptioned(picker, L"&Any"));
    Click(GetDlgItem(picker, IDOK));
  });
  EXPECT_TRUE(stayedOpen);
  EXPECT_EQ(classEdit, focusAfterRefusal);
  EXPECT_TRUE(confirmed);
  EXPECT_EQ("nil", windowClass);
  EXPECT_EQ("", caption);
}

TEST(WindowPicker, BrowseMenuListsARunningNotepadWithItsExecutableAndChoosingItFillsTheEdits) {
  wine_test::Process notepad;
  ASSERT_TRUE(notepad.Start(L"notepad.exe"));
  HWND notepadWindow = wine_test::WaitForWindow(L"Notepad", notepad.info.dwProcessId);
  ASSERT_NE(nullptr, notepadWindow);
  const std::string notepadCaption = WideToUtf8(wine_test::WindowText(notepadWindow));
  std::vector<std::wstring> entries;
  std::string windowClass, caption;
  const bool confirmed = RunPicker(windowClass, caption, [&](HWND picker) {
    HWND browse = ButtonCaptioned(picker, L"&Browse...");
    PostMessageW(picker, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(browse), BN_CLICKED),
                 reinterpret_cast<LPARAM>(browse));
    HWND menuWindow = wine_test::WaitForWindow(L"#32768", GetCurrentProcessId());
    if (!menuWindow) return;
    const HMENU menu = reinterpret_cast<HMENU>(SendMessageW(menuWindow, MN_GETHMENU, 0, 0));
    const int count = GetMenuItemCount(menu);
    int notepadEntry = -1;
    for (int i = 0; i < count; ++i) {
      wchar_t text[512] = {};
      GetMenuStringW(menu, static_cast<UINT>(i), text, 512, MF_BYPOSITION);
      entries.push_back(text);
      if (entries.back().starts_with(L"Notepad | ")) notepadEntry = i;
    }
    // The menu takes its keys from the picker thread's queue.
    for (int i = 0; i <= notepadEntry; ++i) PostMessageW(menuWindow, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageW(menuWindow, WM_KEYDOWN, notepadEntry < 0 ? VK_ESCAPE : VK_RETURN, 0);
    PumpUntil([&] { return !IsWindowVisible(menuWindow); });
    Click(GetDlgItem(picker, IDOK));
  });
  const std::wstring expected = L"Notepad | " + Utf8ToWide(notepadCaption) + L"   (notepad.exe)";
  EXPECT_NE(entries.end(), std::find(entries.begin(), entries.end(), expected));
  for (const std::wstring& entry : entries)
    EXPECT_EQ(std::wstring::npos, entry.find(L"Select window"));
  EXPECT_TRUE(confirmed);
  EXPECT_EQ("Notepad", windowClass);
  EXPECT_EQ(notepadCaption, caption);
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
    for (HTREEITEM item = TreeView_GetRoot(tab.Tree()); item;
         item = TreeView_GetNextVisible(tab.Tree(), item)) {
      wchar_t buffer[128] = {};
      TVITEMW data = {};
      data.mask = TVIF_TEXT | TVIF_HANDLE;
      data.hItem = item;
      data.pszText = buffer;
      data.cchTextMax = 128;
      if (TreeView_GetItem(tab.Tree(), &data) && text == buffer) return item;
    }
    return nullptr;
  }
  // Selects the node and presses `key` on the tree.
  void Press(const std::wstring& text, UINT key) {
    const HTREEITEM item = Item(text);
    ASSERT_NE(nullptr, item) << WideToUtf8(text);
    TreeView_SelectItem(tab.Tree(), item);
    SendMessageW(tab.Tree(), WM_KEYDOWN, key, 0);
  }
  UINT State(const std::wstring& text, UINT mask) const {
    return TreeView_GetItemState(tab.Tree(), Item(text), mask) & mask;
  }
  bool Enabled(const wchar_t* button) const {
    return IsWindowEnabled(ButtonCaptioned(tab.Handle(), button)) != FALSE;
  }
  TActionExecOn Stored() const {
    TActionExecOn options;
    tab.Store(options);
    return options;
  }

  wine_test::TestWindow window{
      {.style = WS_OVERLAPPEDWINDOW | WS_VISIBLE, .width = 520, .height = 640}};
  ExecOptionsTab tab;
};

TEST_F(AdditionalTabTest, SpaceTogglesChecksSwitchesRadioGroupsAndOpensOrClosesGroups) {
  Press(L"Never launch action", VK_SPACE);
  Press(L"Start action in a separate thread", VK_SPACE);
  Press(L"3", VK_SPACE);
  Press(L"Russian", VK_SPACE);
  EXPECT_EQ(INDEXTOSTATEIMAGEMASK(4), State(L"3", TVIS_STATEIMAGEMASK));
  EXPECT_EQ(INDEXTOSTATEIMAGEMASK(3), State(L"1", TVIS_STATEIMAGEMASK));
  const TActionExecOn stored = Stored();
  EXPECT_TRUE(stored.Nevr);
  EXPECT_TRUE(stored.Thrd);
  EXPECT_EQ(2, stored.Rept);
  EXPECT_EQ(0x04190419u, stored.Lang);
  EXPECT_EQ(0u, stored.SetLangAfter);
  Press(L"Launch action", VK_SPACE);
  EXPECT_EQ(0u, State(L"Launch action", TVIS_EXPANDED));
  Press(L"Launch action", VK_SPACE);
  EXPECT_NE(0u, State(L"Launch action", TVIS_EXPANDED));
  EXPECT_FALSE(Stored().ModOnlyL);
}

TEST_F(AdditionalTabTest, WindowEntriesAreEditedByDoubleClickAddedWithInsertAndDeleted) {
  TreeView_SelectItem(tab.Tree(), Item(L"Only if all windows NOT exists"));
  EXPECT_TRUE(Enabled(L"Add"));
  EXPECT_FALSE(Enabled(L"Edit"));
  RECT label = {};
  ASSERT_TRUE(TreeView_GetItemRect(tab.Tree(), Item(L"Notepad | nil"), &label, TRUE));
  std::thread driver = DrivePicker(Answer(L"Notepad", L"Untitled - Notepad"));
  SendMessageW(tab.Tree(), WM_LBUTTONDBLCLK, 0,
               MAKELPARAM((label.left + label.right) / 2, (label.top + label.bottom) / 2));
  driver.join();
  EXPECT_NE(nullptr, Item(L"Notepad | Untitled - Notepad"));
  EXPECT_TRUE(Enabled(L"Edit"));
  EXPECT_TRUE(Enabled(L"Delete"));

  driver = DrivePicker(Answer(L"SciCalc", L""));
  Press(L"Only if all windows NOT exists", VK_INSERT);
  driver.join();
  Press(L"Notepad | Untitled - Notepad", VK_DELETE);
  const TActionExecOn stored = Stored();
  EXPECT_EQ(0u, stored.IfWa.WindowCount());
  EXPECT_TRUE(stored.IfWa.Enbl);
  EXPECT_EQ((WindowEntry{"SciCalc", "nil"}), stored.IfNW.GetWindow(0));
}

}  // namespace
}  // namespace tavion
