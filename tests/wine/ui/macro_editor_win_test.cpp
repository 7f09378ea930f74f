// The macro editor driven from a second thread through its real controls and message boxes, as
// the user would: what it shows, stores and asks. Its decisions are tested natively.
#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "keys/key_input_win.h"
#include "macros/macro_format.h"
#include "forms/form_win.h"
#include "settings/registry.h"
#include "ui/macro_editor_win.h"
#include "wine/support/layout_check.h"
#include "wine/support/test_support.h"

namespace tavion {
namespace {

using Items = std::vector<std::string>;

std::string Event(uint8_t key, uint8_t scan, bool up = false) {
  return MacroEventItem({key, scan, false, up, 0});
}

// The first window of `className` showing `text` (any text when null) anywhere inside `root`.
HWND Find(HWND root, const wchar_t* className, const wchar_t* text) {
  if (HWND here = FindWindowExW(root, nullptr, className, text)) return here;
  for (HWND child = GetWindow(root, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    if (HWND inner = Find(child, className, text)) return inner;
  return nullptr;
}

// The field that follows its caption.
HWND Field(HWND dialog, const wchar_t* caption) {
  return GetWindow(Find(dialog, L"Static", caption), GW_HWNDNEXT);
}

// Tells the dialog of `code` from `control` (a click by default); posted, it does not wait for
// what that opens.
void Notify(HWND control, bool post = false, WORD code = BN_CLICKED) {
  const WPARAM command = MAKEWPARAM(GetDlgCtrlID(control), code);
  const LPARAM from = reinterpret_cast<LPARAM>(control);
  if (post) PostMessageW(GetParent(control), WM_COMMAND, command, from);
  if (!post) SendMessageW(GetParent(control), WM_COMMAND, command, from);
}

// Waits for the program's message box, answers it with `button`; its text.
std::wstring Answer(int button) {
  HWND box = wine_test::WaitForWindow(L"#32770", GetCurrentProcessId(), L"Tavion");
  const std::wstring text = wine_test::WindowText(GetDlgItem(box, 0xFFFF));
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
  wine_test::PumpUntil([box] { return !IsWindow(box); });
  return text;
}

// Selects row `row` alone, as a click does.
void SelectRow(HWND list, int row) {
  ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
  ListView_SetItemState(list, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
}

std::wstring RowText(HWND list, int row) {
  wchar_t key[64] = {}, action[64] = {};
  ListView_GetItemText(list, row, 0, key, 64);
  ListView_GetItemText(list, row, 1, action, 64);
  return std::wstring(key) + L" " + action;
}

HWND FocusOf(HWND dialog) {
  GUITHREADINFO gui = {};
  gui.cbSize = sizeof gui;
  GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &gui);
  return gui.hwndFocus;
}

TEST(MacroEditor, EditsEventsAndSettingsAndStoresUnderTheNewNameOnlyAfterYes) {
  InstallSystemKeyNames();
  MemoryRegistry store;
  const std::string shift = Event(16, 42), a = Event(65, 30), aUp = Event(65, 30, true);
  const Items stored = {"", NewRecordingSettingsText(), shift, a, aUp, Event(16, 42, true)};
  ASSERT_TRUE(WriteMacroItems(store, "first", stored) &&
              WriteMacroItems(store, "other", Items{"", ""}));
  MacroEditorContext context;
  context.settings = &store;
  std::vector<std::wstring> seen;
  std::vector<BOOL> enabled;
  std::vector<std::string> faults;
  bool focusOnName = false;
  std::thread driver([&] {
    HWND dialog = wine_test::WaitForWindow(L"#32770", GetCurrentProcessId(), L"Change macros");
    if (!dialog) return;
    HWND list = Find(dialog, L"SysListView32", nullptr), name = Field(dialog, L"Macros name");
    HWND stop = Find(dialog, L"Button", L"Stop macros playback on any key press");
    HWND check = Find(dialog, L"Button", L"Check");
    for (const HWND page : {GetParent(name), GetParent(list)}) {
      Sleep(300);  // the page the tab showed paints meanwhile
      wine_test::SaveScreenshot(page == GetParent(name) ? "macro_editor_main"
                                                        : "macro_editor_list");
      for (const std::string& fault : wine_test::LayoutFaults(page, WindowDpi(page)))
        faults.push_back(fault);
      TabCtrl_SetCurFocus(Find(dialog, L"SysTabControl32", nullptr), 1);
    }
    seen.push_back(wine_test::WindowText(Field(dialog, L"Keys list")));
    SelectRow(list, 0);
    enabled = {IsWindowEnabled(Find(dialog, L"Button", L"Up")),
               IsWindowEnabled(Find(dialog, L"Button", L"Down")), IsWindowEnabled(stop)};
    Notify(Find(dialog, L"Button", L"Down"));
    seen.push_back(RowText(list, 1));
    seen.push_back(wine_test::WindowText(GetWindow(check, GW_HWNDNEXT)));
    SelectRow(list, 3);
    SendMessageW(list, WM_KEYDOWN, VK_DELETE, 0);
    Notify(check, true);
    seen.push_back(Answer(IDOK));
    HWND sleep = Field(dialog, L"Delay on macros play");
    SendMessageW(sleep, CB_SETCURSEL, 0, 0);
    Notify(sleep, false, CBN_SELCHANGE);
    enabled.push_back(IsWindowEnabled(stop));
    enabled.push_back(IsWindowEnabled(Find(dialog, L"Button", L"Help")));
    SetWindowTextW(name, L"other");
    SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(list), TRUE);
    Notify(GetDlgItem(dialog, IDOK), true);
    seen.push_back(Answer(IDNO));
    focusOnName = wine_test::PumpUntil([&] { return FocusOf(dialog) == name; }, 3000);
    Notify(GetDlgItem(dialog, IDOK), true);
    seen.push_back(Answer(IDYES));
  });
  const std::optional<std::string> result = ShowMacroEditor(context, "first");
  driver.join();
  EXPECT_EQ(std::vector<std::string>{}, faults);
  EXPECT_EQ((std::vector<std::wstring>{L"Shift A", L"Shift Down", L"16x42x0",
                                       L"After macros start the following keys\rcan remain "
                                       L"pressed:<Shift>",
                                       L"Replace macros 'other'?", L"Replace macros 'other'?"}),
            seen);
  EXPECT_EQ((std::vector<BOOL>{FALSE, TRUE, TRUE, FALSE, FALSE}), enabled) << "no help: disabled";
  EXPECT_TRUE(focusOnName) << "after No, the name to change";
  EXPECT_EQ(std::optional<std::string>("other"), result);
  const Items saved = ReadMacroItems(store, "other");
  EXPECT_EQ((Items{"other"}), MacroNames(store));
  EXPECT_EQ((Items{"", "", a, shift, aUp}),
            (Items{saved.at(0), "", saved.at(2), saved.at(3), saved.at(4)}));
  EXPECT_EQ((std::tuple(std::optional<std::string>("0"), std::optional<std::string>("False"))),
            std::tuple(TaggedField(saved.at(1), '1'), TaggedField(saved.at(1), '2')));
}

}  // namespace
}  // namespace tavion
