// The window picker and the "Additional" tab's check tree, driven through their real controls.
// What they offer and decide is tested natively.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "base/utf_win.h"
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

struct PickerRun {
  bool confirmed = false;
  std::string windowClass;
  std::string caption;
};

// Runs the picker on this thread while `script` drives it from another, given the picker's
// window; a picker the script leaves open is cancelled.
PickerRun RunPicker(std::string windowClass, std::string caption,
                    const std::function<void(HWND picker)>& script) {
  wine_test::TestWindow owner;
  std::thread driver([&] {
    HWND picker = wine_test::WaitForWindow(L"#32770", GetCurrentProcessId(), L"Select window");
    if (picker) script(picker);
    if (picker && IsWindow(picker)) PostMessageW(picker, WM_COMMAND, IDCANCEL, 0);
  });
  PickerRun run;
  run.confirmed = PickWindow(owner.hwnd(), windowClass, caption, true);
  driver.join();
  run.windowClass = windowClass;
  run.caption = caption;
  return run;
}

TEST(WindowPicker, AnyButtonsPutNilIntoTheirEditsAndOkHandsTheTextsBack) {
  const PickerRun cls = RunPicker("Notepad", "Untitled", [](HWND picker) {
    Click(ButtonCaptioned(picker, L"&Any"));
    Click(GetDlgItem(picker, IDOK));
  });
  EXPECT_TRUE(cls.confirmed);
  EXPECT_EQ("nil", cls.windowClass);
  EXPECT_EQ("Untitled", cls.caption);
  const PickerRun cap = RunPicker("Notepad", "Untitled", [](HWND picker) {
    Click(ButtonCaptioned(picker, L"A&ny"));
    Click(GetDlgItem(picker, IDOK));
  });
  EXPECT_EQ("Notepad", cap.windowClass);
  EXPECT_EQ("nil", cap.caption);
}

TEST(WindowPicker, OkWithBothEditsEmptyStaysOpenWithTheClassFocused) {
  bool stayedOpen = false;
  HWND focusAfterRefusal = nullptr;
  HWND classEdit = nullptr;
  const PickerRun run = RunPicker("", "", [&](HWND picker) {
    const std::vector<HWND> edits = ChildrenOfClass(picker, L"Edit");
    if (edits.size() != 2) return;
    classEdit = edits[0];
    SendMessageW(picker, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(edits[1]), TRUE);
    Click(GetDlgItem(picker, IDOK));
    stayedOpen = IsWindow(picker) && IsWindowVisible(picker);
    GUITHREADINFO gui = {};
    gui.cbSize = sizeof(gui);
    GetGUIThreadInfo(GetWindowThreadProcessId(picker, nullptr), &gui);
    focusAfterRefusal = gui.hwndFocus;
    SendMessageW(edits[1], WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"Calculator"));
    Click(GetDlgItem(picker, IDOK));
  });
  EXPECT_TRUE(stayedOpen);
  EXPECT_EQ(classEdit, focusAfterRefusal);
  EXPECT_TRUE(run.confirmed);
  EXPECT_EQ("", run.windowClass);
  EXPECT_EQ("Calculator", run.caption);
}

TEST(WindowPicker, BrowseMenuListsARunningNotepadWithItsExecutableAndChoosingItFillsTheEdits) {
  wine_test::Process notepad;
  ASSERT_TRUE(notepad.Start(L"notepad.exe"));
  HWND notepadWindow = wine_test::WaitForWindow(L"Notepad", notepad.info.dwProcessId);
  ASSERT_NE(nullptr, notepadWindow);
  const std::string notepadCaption = WideToUtf8(wine_test::WindowText(notepadWindow));
  std::vector<std::wstring> entries;
  const PickerRun run = RunPicker("", "", [&](HWND picker) {
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
  EXPECT_TRUE(run.confirmed);
  EXPECT_EQ("Notepad", run.windowClass);
  EXPECT_EQ(notepadCaption, run.caption);
}

}  // namespace
}  // namespace tavion
