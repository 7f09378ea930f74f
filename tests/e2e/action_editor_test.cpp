// The action editor with the keyboard alone: its pages, the catalogue tree, Insert adding a launch
// action whose hot key runs it at once, a used key refused, a changed code stored on OK only and
// without the old code's parameters.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tavion_process.h"

namespace tavion::e2e {
namespace {

constexpr wchar_t kProfile[] = L"Keys\\Default\\000";
constexpr wchar_t kProfileKey[] = L"Software\\Quillon\\Tavion\\Keys\\Default\\";
// Positions in the action type list.
constexpr int kLaunch = 1;
constexpr int kMessage = 2;  // "Send message to window"
constexpr int kCheck = 31;   // "Tavion - check"
constexpr int kScroll = 34;  // "Window - Scroll & Zoom"

std::optional<std::wstring> StoredText(const std::wstring& sub, const wchar_t* name) {
  wchar_t text[256] = {};
  DWORD size = sizeof text;
  if (RegGetValueW(HKEY_CURRENT_USER, (kProfileKey + sub).c_str(), name, RRF_RT_REG_SZ, nullptr,
                   text, &size) != ERROR_SUCCESS)
    return std::nullopt;
  return text;
}

// Moves the action type from position `from` to `to` with the arrow keys.
void ChooseType(HWND editor, int from, int to) {
  const WORD key = from < to ? VK_DOWN : VK_UP;
  for (int i = from; i != to; i += from < to ? 1 : -1) Press({key});
  HWND types = FindDescendant(editor, WC_COMBOBOXEXW);
  EXPECT_TRUE(WaitUntil([&] { return SendMessageW(types, CB_GETCURSEL, 0, 0) == to; }))
      << "from " << from << " to " << to << ", focus in the list "
      << IsChild(types, FocusOf(editor));
}

// From the type list: the name replaced by `name`, then the key Ctrl+Shift+F9 captured.
void EnterNameAndKey(HWND editor, const std::wstring& name) {
  HWND nameEdit = FindDescendant(editor, L"Edit");
  HWND keyEdit = FindDescendant(editor, L"TKeyEdit");
  Press({VK_TAB, VK_TAB});
  ASSERT_TRUE(WaitUntil([&] { return FocusOf(editor) == nameEdit; })) << "type, plus, name";
  Type(name);
  Press({VK_TAB, VK_TAB});
  ASSERT_TRUE(WaitUntil([&] { return FocusOf(editor) == keyEdit; })) << "key kind, key";
  // The capture starts with the focus, a moment after it can be seen from here.
  for (int i = 0; i < 10 && wine_test::WindowText(keyEdit) != L"F8"; ++i) {
    Press({VK_F8});
    WaitUntil([&] { return wine_test::WindowText(keyEdit) == L"F8"; }, 500);
  }
  PressChord({VK_CONTROL, VK_SHIFT}, VK_F9);
  ASSERT_TRUE(WaitUntil([&] { return wine_test::WindowText(keyEdit) == L"Ctrl + Shift + F9"; }))
      << wine_test::WindowText(keyEdit);
  Press({VK_TAB});
  ASSERT_TRUE(WaitUntil([&] { return FocusOf(editor) == GetDlgItem(editor, IDOK); }));
}

BOOL CALLBACK CollectVisibleEdit(HWND child, LPARAM list) {
  wchar_t name[16] = {};
  GetClassNameW(child, name, 16);
  if (IsWindowVisible(child) && std::wstring(name) == L"Edit")
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(child);
  return TRUE;
}

// The visible edits under `parent`, in creation order.
std::vector<HWND> VisibleEdits(HWND parent) {
  std::vector<HWND> edits;
  EnumChildWindows(parent, CollectVisibleEdit, reinterpret_cast<LPARAM>(&edits));
  return edits;
}

BOOL CALLBACK FindHookMenuBox(HWND child, LPARAM found) {
  if (wine_test::WindowText(child) != L"Hook menu press") return TRUE;
  *reinterpret_cast<HWND*>(found) = child;
  return FALSE;
}

TEST(ActionEditor, AddedWithTheKeyboardRunsAtOnceAndAChangedCodeIsStoredOnlyOnOk) {
  WriteSetting(kProfile, L"Name", L"Probe");
  WriteSetting(kProfile, L"Exec", L"srun");
  WriteSetting(kProfile, L"ActionParamsMode", 1);
  WriteSetting((std::wstring(kProfile) + L"\\ActionParams").c_str(), L"Path", L"probe.exe");
  WriteSetting((std::wstring(kProfile) + L"\\Key0").c_str(), L"HKey", VK_F8 << 8 | 2);  // Ctrl
  TavionProcess tavion;
  HWND main = StartShown(tavion);
  ASSERT_NE(nullptr, main);
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == main; }));
  const std::string dpi = std::to_string(ScreenDpi());
  HWND tree = FocusActionTree(main);
  ASSERT_NE(nullptr, tree);

  Press({VK_INSERT});
  HWND editor = OpenedEditor(tavion.Id(), L"Add new action");
  ASSERT_NE(nullptr, editor);
  HWND pages = FindDescendant(editor, WC_TABCONTROLW);
  // Each code's parameters on the page after the main options, and back.
  int type = kLaunch;
  for (const auto& [position, code] : {std::pair{1, "srun"},
                                       {2, "ms_wmsg"},
                                       {3, "ke_keyz"},
                                       {4, "mc_play"},
                                       {5, "mc_text"},
                                       {34, "wm_scroll"},
                                       {40, "wm_alfa"}}) {
    ChooseType(editor, type, position);
    type = position;
    ASSERT_TRUE(SwitchPage(pages, /*back=*/false, 1)) << code;
    Shoot(editor, "editor-" + std::string(code) + "-" + dpi);
    ASSERT_TRUE(SwitchPage(pages, /*back=*/true, 0)) << code;
    Press({VK_TAB});  // from the tab strip into the page
  }
  ASSERT_TRUE(SwitchPage(pages, /*back=*/true, 2)) << "round to the last page";
  HWND types = FindDescendant(editor, WC_COMBOBOXEXW);
  EXPECT_FALSE(IsWindowVisible(types)) << "the main options are hidden on another page";
  Shoot(editor, "editor-additional-" + dpi);
  ASSERT_TRUE(SwitchPage(pages, /*back=*/false, 0));
  Press({VK_TAB});
  ChooseType(editor, type, kCheck);
  EXPECT_EQ(L"Tavion - check", wine_test::WindowText(FindDescendant(editor, L"Edit")))
      << "an unedited name follows the code";
  Press({VK_TAB, VK_SPACE});
  HWND chooser = wine_test::WaitForWindow(L"TavionCatalogueChooser", tavion.Id());
  ASSERT_NE(nullptr, chooser);
  HWND catalogueTree = FindDescendant(chooser, WC_TREEVIEWW);
  ASSERT_TRUE(WaitUntil([&] { return FocusOf(chooser) == catalogueTree; }));
  RedrawWindow(editor, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  Shoot(chooser, "editor-chooser-" + dpi);
  Press({VK_ESCAPE});
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(chooser); }));
  ASSERT_TRUE(WaitUntil(
      [&] { return GetForegroundWindow() == editor && IsChild(types, FocusOf(editor)); }));
  Press({VK_ESCAPE});
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(editor); }));
  EXPECT_EQ(1, SendMessageW(tree, TVM_GETCOUNT, 0, 0)) << "Cancel adds nothing";

  // A launch action: its hot key starts the probe at once.
  const wchar_t probe[] = L"C:\\editor-probe.txt";
  DeleteFileW(probe);
  Press({VK_INSERT});
  editor = OpenedEditor(tavion.Id(), L"Add new action");
  ASSERT_NE(nullptr, editor);
  EnterNameAndKey(editor, L"Launch probe");
  pages = FindDescendant(editor, WC_TABCONTROLW);
  Shoot(editor, "editor-main-" + dpi);
  ASSERT_TRUE(SwitchPage(pages, /*back=*/false, 1));
  Press({VK_TAB, VK_TAB});  // the verb, "File or folder"
  Type(L"cmd.exe");
  Press({VK_TAB, VK_TAB});  // browse, "Command line"
  Type(L"/c echo probe> C:\\editor-probe.txt");
  Press({VK_RETURN});
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(editor); }));
  EXPECT_TRUE(WaitUntil([&] { return SendMessageW(tree, TVM_GETCOUNT, 0, 0) == 2; }));
  EXPECT_TRUE(WaitUntil([&] { return StoredText(L"001", L"Name") == L"Launch probe"; }))
      << "saved at once, after the selected top-level action";
  EXPECT_EQ(std::optional<std::wstring>(L"cmd.exe"), StoredText(L"001\\ActionParams", L"Path"));
  PressChord({VK_CONTROL, VK_SHIFT}, VK_F9);
  EXPECT_TRUE(WaitUntil([&] { return GetFileAttributesW(probe) != INVALID_FILE_ATTRIBUTES; }))
      << "the new hot key runs at once";

  // The same key again is refused while one key runs one action.
  Press({VK_INSERT});
  editor = OpenedEditor(tavion.Id(), L"Add new action");
  ASSERT_NE(nullptr, editor);
  ChooseType(editor, kLaunch, kCheck);
  EnterNameAndKey(editor, L"Second");
  Press({VK_RETURN});
  HWND refusal = wine_test::WaitForWindow(L"#32770", tavion.Id(), L"Tavion");
  ASSERT_NE(nullptr, refusal);
  EXPECT_EQ(
      L"The key 'Ctrl + Shift + F9' is already reserved for action 'Launch probe',\r(if you "
      L"want to use several actions for one key\ryou must turn on option 'Enable several "
      L"actions on one key')",
      StaticText(refusal));
  PressButton(refusal, IDOK);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(refusal); }));
  EXPECT_TRUE(IsWindow(editor));
  EXPECT_TRUE(WaitUntil([&] { return FindDescendant(editor, L"TKeyEdit") == FocusOf(editor); }));
  PostMessageW(editor, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(editor); }));

  // The launch action becomes a scroll action: not on Cancel, on OK without its launch path.
  for (const WORD confirm : {VK_ESCAPE, VK_RETURN}) {
    ASSERT_TRUE(WaitUntil([&] { return FocusOf(main) == tree; }));
    Press({VK_HOME, VK_F2});
    editor = OpenedEditor(tavion.Id(), L"Edit action");
    ASSERT_NE(nullptr, editor);
    ChooseType(editor, kLaunch, kScroll);
    Press({confirm});
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(editor); }));
    const bool confirmed = confirm == VK_RETURN;
    EXPECT_TRUE(WaitUntil(
        [&] { return StoredText(L"000", L"Exec") == (confirmed ? L"wm_scroll" : L"srun"); }));
    EXPECT_EQ(confirmed ? std::nullopt : std::optional<std::wstring>(L"probe.exe"),
              StoredText(L"000\\ActionParams", L"Path"));
    EXPECT_EQ(std::optional<std::wstring>(L"Probe"), StoredText(L"000", L"Name"))
        << "an edited action keeps its name";
  }

  ExitConfirmed(tavion, main);
}

// A menu command chosen in another program, while "Hook menu press" is ticked, fills in the message
// it sends: WM_COMMAND with the command's number, ready to be sent again.
TEST(ActionEditor, AMenuCommandOfAnotherProgramFillsTheMessageFields) {
  TavionProcess tavion;
  HWND main = StartShown(tavion);
  ASSERT_NE(nullptr, main);
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == main; }));
  ASSERT_NE(nullptr, FocusActionTree(main));
  Press({VK_INSERT});
  HWND editor = OpenedEditor(tavion.Id(), L"Add new action");
  ASSERT_NE(nullptr, editor);
  ChooseType(editor, kLaunch, kMessage);
  ASSERT_TRUE(SwitchPage(FindDescendant(editor, WC_TABCONTROLW), /*back=*/false, 1));
  HWND hook = nullptr;
  EnumChildWindows(editor, FindHookMenuBox, reinterpret_cast<LPARAM>(&hook));
  ASSERT_TRUE(IsChild(editor, hook));
  const std::vector<HWND> fields = VisibleEdits(editor);  // Message, wParam, lParam
  ASSERT_EQ(3u, fields.size());

  // Nothing is taken while the box is clear; once ticked, the command of a window of this
  // process (another program to Tavion) arrives.
  wine_test::TestWindow other;
  for (const bool ticked : {false, true}) {
    if (ticked) SendMessageW(hook, BM_CLICK, 0, 0);
    ASSERT_EQ(ticked, SendMessageW(hook, BM_GETCHECK, 0, 0) == BST_CHECKED);
    PostMessageW(other.hwnd(), WM_COMMAND, ticked ? 4242 : 4141, 0);
    ASSERT_TRUE(WaitUntil([&] { return other.Got(WM_COMMAND); }));
    const bool filled =
        WaitUntil([&] { return wine_test::WindowText(fields[1]) != L"0"; }, ticked ? 5000 : 1000);
    EXPECT_EQ(ticked, filled);
  }
  EXPECT_EQ(L"273", wine_test::WindowText(fields[0]));
  EXPECT_EQ(L"4242", wine_test::WindowText(fields[1]));
  EXPECT_EQ(L"0", wine_test::WindowText(fields[2]));
  EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == editor; }))
      << "the editor comes forward for the user to go on";
  PostMessageW(editor, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(editor); }));
  ExitConfirmed(tavion, main);
}

}  // namespace
}  // namespace tavion::e2e
