#include "keys/key_edit_win.h"

#include <gtest/gtest.h>

#include "base/utf_win.h"
#include "pipeline/sidekit_library_win.h"
#include "keys/key_names.h"
#include "ui/custom_key_dialog_win.h"
#include "ui/key_name_dialog_win.h"
#include "wine/support/test_support.h"

namespace tavion {
namespace {

using wine_test::ChildrenOfClass;
using wine_test::Inject;
using wine_test::KeyInput;

// Handles this thread's messages as a dialog does (Tab moves the focus) until `done` holds.
bool PumpDialogUntil(HWND dialog, const std::function<bool()>& done) {
  const ULONGLONG deadline = GetTickCount64() + 5000;
  while (!done()) {
    if (GetTickCount64() >= deadline) return false;
    MsgWaitForMultipleObjectsEx(0, nullptr, 10, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (IsDialogMessageW(dialog, &msg)) continue;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  return true;
}

TEST(KeyEditWin, CapturesInjectedKeysThroughTheHooksAndTabMovesOn) {
  SidekitLibrary library;
  ASSERT_TRUE(library.Load(wine_test::ProgramFolder().c_str()));
  wine_test::TestWindow top({.className = L"KeyEditTestHost",
                             .style = WS_POPUP | WS_VISIBLE,
                             .exStyle = WS_EX_CONTROLPARENT});
  ASSERT_TRUE(wine_test::MakeForeground(top.hwnd()));
  KeyEditDesign design;
  design.id = 10;
  design.place = {10, 10, 250, 35};
  design.hooks = {library.InitHookEx, library.FreeHookEx};
  std::unique_ptr<KeyEdit> edit = KeyEdit::Create(top.hwnd(), design);
  ASSERT_NE(nullptr, edit);
  HWND next = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 10, 50, 200, 24,
                              top.hwnd(), nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(nullptr, next);
  wchar_t className[32] = {};
  GetClassNameW(edit->Handle(), className, 32);
  EXPECT_STREQ(L"TKeyEdit", className) << "the raw-input layer finds the control by its class";

  const HKL layout = GetKeyboardLayout(0);
  SetFocus(edit->Handle());
  ASSERT_TRUE(
      Inject({KeyInput(VK_LCONTROL, false), KeyInput(VK_LSHIFT, false), KeyInput('A', false),
              KeyInput('A', true), KeyInput(VK_LSHIFT, true), KeyInput(VK_LCONTROL, true)}));
  PumpDialogUntil(top.hwnd(), [&] { return edit->Text() == "Ctrl + Shift + A"; });
  EXPECT_EQ("Ctrl + Shift + A", edit->Text());
  EXPECT_EQ(PackHotKey('A', 0, 0, kModCtrl | kModShift), edit->HotKey() & 0x0000FFFFu);
  EXPECT_TRUE(PumpDialogUntil(top.hwnd(), [&] { return top.Got(kMsgKeyArrived); }))
      << "the host hears of the keys";

  ASSERT_TRUE(Inject({KeyInput(VK_TAB, false), KeyInput(VK_TAB, true)}));
  EXPECT_TRUE(PumpDialogUntil(top.hwnd(), [&] { return GetFocus() == next; }));
  EXPECT_EQ("Ctrl + Shift + A", edit->Text());
  EXPECT_EQ(layout, GetKeyboardLayout(0));

  // Without the focus the control captures nothing: the keys reach the focused edit.
  ASSERT_TRUE(Inject({KeyInput('B', false), KeyInput('B', true)}));
  EXPECT_TRUE(PumpDialogUntil(top.hwnd(), [&] { return GetWindowTextLengthW(next) == 1; }));
  EXPECT_EQ("Ctrl + Shift + A", edit->Text());
}

// Steps that modal dialogs' loops run from a thread timer, one per tick; a step that returns
// false is tried again at the next tick.
std::vector<std::function<bool()>> dialogSteps;
void CALLBACK RunDialogStep(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  if (dialogSteps.empty()) return;
  if (dialogSteps.front()()) dialogSteps.erase(dialogSteps.begin());
  if (!dialogSteps.empty()) SetTimer(nullptr, 0, 20, &RunDialogStep);
}
void RunDialogSteps(std::vector<std::function<bool()>> steps) {
  dialogSteps = std::move(steps);
  SetTimer(nullptr, 0, 20, &RunDialogStep);
}

HWND ActiveWindowCaptioned(const wchar_t* caption) {
  HWND active = GetActiveWindow();
  return wine_test::WindowText(active) == caption ? active : nullptr;
}

TEST(CustomKeyDialog, AppliesEachChangeAtOnceAndCancelPutsTheKeyBack) {
  wine_test::TestWindow top({.className = L"CustomKeyTestHost", .style = WS_POPUP | WS_VISIBLE});
  KeyEditDesign design;
  design.place = {10, 10, 250, 35};
  std::unique_ptr<KeyEdit> edit = KeyEdit::Create(top.hwnd(), design);
  ASSERT_NE(nullptr, edit);
  edit->SetHotKey(PackHotKey('A', 30, 0, kModCtrl));
  std::vector<std::string> seen;
  RunDialogSteps({[&] {
    HWND dialog = ActiveWindowCaptioned(L"Custom key edit");
    const std::vector<HWND> numbers = ChildrenOfClass(dialog, L"Edit");
    const std::vector<HWND> combos = ChildrenOfClass(dialog, L"ComboBox");
    if (!dialog || numbers.size() != 4 || combos.size() != 1) return false;
    SetWindowTextW(numbers[1], L"66");  // the key code
    seen.push_back(edit->Text());
    SendMessageW(combos[0], CB_SETCURSEL, kModShift, 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combos[0]), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combos[0]));
    seen.push_back(edit->Text());
    // The number beside the drop-down follows it.
    seen.push_back(WideToUtf8(wine_test::WindowText(numbers[0])));
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    return true;
  }});
  EXPECT_FALSE(EditCustomKey(*edit));
  EXPECT_EQ((std::vector<std::string>{"Ctrl + B", "Shift + B", "4"}), seen);
  EXPECT_EQ("Ctrl + A", edit->Text()) << "Cancel puts the key back";
  EXPECT_EQ(PackHotKey('A', 30, 0, kModCtrl), edit->HotKey());
}

// The dialog refuses a name that another entry has, with the focus on the name, and hands back
// the entry it accepts; its capture control is driven with the hook's own message.
TEST(KeyNameDialog, RefusesATakenNameWithTheFocusOnItAndHandsBackTheEntry) {
  TKeyNames table;
  table.LoadDefaultKeyNames();
  KeyNameDialogData data;
  HWND nameField = nullptr;
  bool focusOnName = false;
  RunDialogSteps({
      [&] {
        HWND dialog = ActiveWindowCaptioned(L"Add new key");
        const std::vector<HWND> keyEdits = ChildrenOfClass(dialog, kKeyEditClass.data());
        if (!dialog || keyEdits.size() != 1) return false;
        nameField = ChildrenOfClass(dialog, L"Edit").front();
        SetWindowTextW(nameField, L"Stop");
        KeyEventRecord key{'B', 48, 0, 0, 0};
        SendMessageW(keyEdits[0], kMsgCaptureKeyEvent, WM_KEYDOWN, reinterpret_cast<LPARAM>(&key));
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        return true;
      },
      [&] {
        HWND box = ActiveWindowCaptioned(L"Tavion");
        if (!box) return false;
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        return true;
      },
      [&] {
        HWND dialog = ActiveWindowCaptioned(L"Add new key");
        if (!dialog) return false;
        focusOnName = GetFocus() == nameField;
        SetWindowTextW(nameField, L"Key B");
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
        return true;
      },
  });
  EXPECT_TRUE(ShowKeyNameDialog(nullptr, {}, table, -1, data));
  EXPECT_TRUE(dialogSteps.empty());
  EXPECT_TRUE(focusOnName);
  EXPECT_EQ("Key B", data.name);
  EXPECT_EQ(PackHotKey('B', 48, 0, 0), data.key);
}

}  // namespace
}  // namespace tavion
