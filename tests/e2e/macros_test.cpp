// "Macros" as a new user meets it: a recording started with Insert and ended with Insert or the
// tray icon, named in the name dialog (Cancel keeps nothing), stored with its events and delays,
// and bound to a hot key with "Add action for macros" that types it again in the window in front.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "macros/macro_format.h"
#include "settings/registry_win.h"
#include "settings/settings.h"
#include "tavion_process.h"

namespace tavion::e2e {
namespace {

// Whether the record button of `page` comes to say that a recording runs (or not).
bool Recording(HWND page, bool running) {
  return WaitUntil([&] {
    return FindWindowExW(page, nullptr, L"Button", running ? L"Stop" : L"Record") != nullptr;
  });
}

BOOL CALLBACK FindSummary(HWND child, LPARAM found) {
  wchar_t name[16] = {};
  GetClassNameW(child, name, 16);
  // The key names of A and B are capitals.
  if (lstrcmpiW(name, L"Edit") != 0 || lstrcmpiW(wine_test::WindowText(child).c_str(), L"ab") != 0)
    return TRUE;
  *reinterpret_cast<HWND*>(found) = child;
  return FALSE;
}

TEST(Macros, ARecordingIsNamedStoredAndTypedAgainByTheHotKeyOfItsAction) {
  TavionProcess tavion;
  HWND main = StartShown(tavion);
  ASSERT_NE(nullptr, main);
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == main; }));
  const std::string dpi = std::to_string(ScreenDpi());
  // The navigation's ninth row below the top, all panels open; Tab into the list.
  Press({VK_HOME, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN,
         VK_RETURN});
  ASSERT_TRUE(WaitUntil([&] { return PageTitle(main) == L"Macros"; })) << PageTitle(main);
  Press({VK_TAB});
  ASSERT_TRUE(WaitUntil(
      [&] { return FindDescendant(GetParent(FocusOf(main)), WC_LISTVIEWW) == FocusOf(main); }));
  HWND list = FocusOf(main);
  HWND page = GetParent(list);

  Press({VK_INSERT});
  ASSERT_TRUE(Recording(page, true));
  Press({'X'});
  ClickAt(TrayIconPoint(main).value_or(POINT{}), MOUSEEVENTF_LEFTDOWN);
  HWND dialog = wine_test::WaitForWindow(L"#32770", tavion.Id(), L"Tavion");
  ASSERT_NE(nullptr, dialog);
  EXPECT_EQ(L"Macros1", wine_test::WindowText(FindDescendant(dialog, L"Edit")));
  Press({VK_ESCAPE});
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
  EXPECT_TRUE(Recording(page, false));
  const Win32Registry settings(HKEY_CURRENT_USER, kSettingsRootPath);
  EXPECT_TRUE(MacroNames(settings).empty()) << "Cancel keeps nothing";

  Press({VK_INSERT});
  ASSERT_TRUE(Recording(page, true));
  SaveScreenshot("page-macros-recording-" + dpi);
  Press({'A'});
  Sleep(300);
  Press({'B', VK_INSERT});
  dialog = wine_test::WaitForWindow(L"#32770", tavion.Id(), L"Tavion");
  ASSERT_NE(nullptr, dialog);
  SaveScreenshot("page-macros-name-" + dpi);
  Press({VK_RETURN});
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
  // The macro editor opens on it with the four events and the summary "ab"; OK keeps it.
  HWND macroEditor = wine_test::WaitForWindow(L"#32770", tavion.Id(), L"Change macros");
  ASSERT_NE(nullptr, macroEditor);
  EXPECT_EQ(4, SendMessageW(FindDescendant(macroEditor, WC_LISTVIEWW), LVM_GETITEMCOUNT, 0, 0));
  HWND summary = nullptr;
  EnumChildWindows(macroEditor, FindSummary, reinterpret_cast<LPARAM>(&summary));
  EXPECT_NE(nullptr, summary) << "no field shows the summary \"ab\"";
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == macroEditor; }));
  Press({VK_RETURN});
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(macroEditor); }));
  const std::vector<std::string> items = ReadMacroItems(settings, "Macros1");
  ASSERT_EQ(6u, items.size()) << "layout, settings, four events";
  EXPECT_NE(std::optional<int32_t>(0), ParseMacroNumber(items[0])) << "the keyboard layout";
  EXPECT_EQ(ParsePlaybackSettings(NewRecordingSettingsText()), ParsePlaybackSettings(items[1]));
  // A pressed, released, B pressed, released: the Insert keys that started and stopped it are out.
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ("AABB"[i] | (i % 2) << 17, ParseMacroNumber(items[2 + i]).value_or(0) & 0x200FF) << i;
  const int pause = ParseMacroEventItem(items[4]).value_or(MacroEvent{}).delayMs + 256;
  EXPECT_TRUE(pause >= 300 && pause < 500) << "300 ms are stored as 44: " << pause - 256;
  SaveScreenshot("page-macros-" + dpi);

  // "Add action for macros" (enabled: the new macro is selected) starts the editor on the macro:
  // the key Ctrl+Shift+F9 and OK.
  ASSERT_TRUE(WaitUntil([&] { return FocusOf(main) == list; }));
  Press({VK_TAB, VK_TAB, VK_SPACE});
  HWND editor = wine_test::WaitForWindow(L"#32770", tavion.Id(), L"Add new action");
  ASSERT_NE(nullptr, editor);
  HWND keyEdit = FindDescendant(editor, L"TKeyEdit");
  Press({VK_TAB, VK_TAB, VK_TAB, VK_TAB});  // the "+" button, the name, the key kind, the key
  ASSERT_TRUE(WaitUntil([&] { return FocusOf(editor) == keyEdit; }));
  // The capture starts with the focus, a moment after it can be seen from here.
  for (int i = 0; i < 10 && wine_test::WindowText(keyEdit) != L"Ctrl + Shift + F9"; ++i) {
    PressChord({VK_CONTROL, VK_SHIFT}, VK_F9);
    WaitUntil([&] { return wine_test::WindowText(keyEdit) == L"Ctrl + Shift + F9"; }, 500);
  }
  Press({VK_TAB});
  ASSERT_TRUE(WaitUntil([&] { return FocusOf(editor) == GetDlgItem(editor, IDOK); }));
  Press({VK_RETURN});
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(editor); }));

  wine_test::TestWindow target({.style = WS_OVERLAPPEDWINDOW | WS_VISIBLE});
  ASSERT_TRUE(wine_test::MakeForeground(target.hwnd()));
  PressChord({VK_CONTROL, VK_SHIFT}, VK_F9);
  EXPECT_TRUE(WaitUntil([&] {
    const auto typed = target.Of(WM_CHAR);
    return typed.size() == 2 && typed[0].wParam == 'a' && typed[1].wParam == 'b';
  }));
  ExitConfirmed(tavion, main);
}

}  // namespace
}  // namespace tavion::e2e
