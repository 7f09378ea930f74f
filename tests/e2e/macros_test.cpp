// "Macros" as a new user meets it: a recording started with Insert and ended with Insert or the
// tray icon, named in the name dialog (Cancel keeps nothing), stored with its events and delays,
// and bound to a hot key with "Add action for macros" that types it again in the window in front.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "base/utf_win.h"
#include "macros/macro_format.h"
#include "tavion_process.h"

namespace tavion::e2e {
namespace {

// The stored text of the macro `name`, nullopt when there is none.
std::optional<std::string> StoredMacro(const wchar_t* name) {
  wchar_t text[1024] = {};
  DWORD size = sizeof text;
  if (RegGetValueW(HKEY_CURRENT_USER, L"Software\\Quillon\\Tavion\\Macros", name, RRF_RT_REG_SZ,
                   nullptr, text, &size) != ERROR_SUCCESS)
    return std::nullopt;
  return WideToUtf8(text);
}

// Whether the record button of `page` comes to say that a recording runs (or not).
bool Recording(HWND page, bool running) {
  return WaitUntil([&] {
    return FindWindowExW(page, nullptr, L"Button", running ? L"Stop" : L"Record") != nullptr;
  });
}

TEST(Macros, ARecordingIsNamedStoredAndTypedAgainByTheHotKeyOfItsAction) {
  // A profile of one action without a key, so that any key is free.
  WriteSetting(L"Keys\\Default\\000", L"Name", L"Probe");
  WriteSetting(L"Keys\\Default\\000", L"Exec", L"tv_beep");
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
  HWND list = nullptr;
  ASSERT_TRUE(WaitUntil([&] {
    list = FocusOf(main);
    return FindDescendant(GetParent(list), WC_LISTVIEWW) == list;
  }));
  HWND page = GetParent(list);

  Press({VK_INSERT});
  ASSERT_TRUE(Recording(page, true));
  Press({'X'});
  const std::optional<POINT> tray = TrayIconPoint(main);
  ASSERT_TRUE(tray);
  ClickAt(*tray, MOUSEEVENTF_LEFTDOWN);
  HWND dialog = wine_test::WaitForWindow(L"#32770", tavion.Id(), L"Tavion");
  ASSERT_NE(nullptr, dialog);
  EXPECT_EQ(L"Macros1", wine_test::WindowText(FindDescendant(dialog, L"Edit")));
  Press({VK_ESCAPE});
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
  EXPECT_TRUE(Recording(page, false));
  EXPECT_EQ(std::nullopt, StoredMacro(L"Macros1")) << "Cancel keeps nothing";

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
  // The macro editor opens on it; its own test looks inside.
  if (HWND editor = wine_test::WaitForWindow(L"#32770", tavion.Id(), L"Change macros", 3000))
    PostMessageW(editor, WM_COMMAND, IDCANCEL, 0);
  const std::vector<std::string> items = MacroItemsFromText(StoredMacro(L"Macros1").value_or(""));
  ASSERT_EQ(6u, items.size()) << "layout, settings, four events";
  EXPECT_NE(std::optional<int32_t>(0), ParseMacroNumber(items[0])) << "the keyboard layout";
  EXPECT_EQ(NewRecordingSettingsText(), items[1]);
  std::string keys;
  for (size_t i = 2; i < items.size(); ++i) {
    const MacroEvent event = ParseMacroEventItem(items[i]).value_or(MacroEvent{});
    keys += std::string(1, static_cast<char>(event.keyCode)) + (event.released ? "-" : "+");
  }
  EXPECT_EQ("A+A-B+B-", keys) << "the keys of the recording's start and end left out";
  const int pause = ParseMacroEventItem(items[4]).value_or(MacroEvent{}).delayMs + 256;
  EXPECT_TRUE(pause >= 300 && pause < 400) << "300 ms are stored as 44: " << pause - 256;
  EXPECT_EQ(0, SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  RedrawWindow(main, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  SaveScreenshot("page-macros-" + dpi);

  // "Add action for macros" starts the editor on the macro: the key Ctrl+Shift+F9 and OK.
  ASSERT_TRUE(WaitUntil([&] { return FocusOf(main) == list; }));
  Press({VK_TAB, VK_TAB, VK_SPACE});
  HWND editor = wine_test::WaitForWindow(L"#32770", tavion.Id(), L"Add new action");
  ASSERT_NE(nullptr, editor);
  HWND keyEdit = FindDescendant(editor, L"TKeyEdit");
  for (int i = 0; i < 8 && FocusOf(editor) != keyEdit; ++i) {
    Press({VK_TAB});
    WaitUntil([&] { return FocusOf(editor) == keyEdit; }, 500);
  }
  // The capture starts with the focus, a moment after it can be seen from here.
  for (int i = 0; i < 10 && wine_test::WindowText(keyEdit) != L"Ctrl + Shift + F9"; ++i) {
    PressChord({VK_CONTROL, VK_SHIFT}, VK_F9);
    WaitUntil([&] { return wine_test::WindowText(keyEdit) == L"Ctrl + Shift + F9"; }, 500);
  }
  Press({VK_TAB, VK_RETURN});  // OK
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(editor); }));

  wine_test::WindowDesign design;
  design.style |= WS_VISIBLE;
  wine_test::TestWindow target(design);
  ASSERT_TRUE(wine_test::MakeForeground(target.hwnd()));
  PressChord({VK_CONTROL, VK_SHIFT}, VK_F9);
  std::wstring typed;
  EXPECT_TRUE(WaitUntil([&] {
    typed.clear();
    for (const wine_test::Message& m : target.Of(WM_CHAR)) typed += static_cast<wchar_t>(m.wParam);
    return typed == L"ab";
  })) << WideToUtf8(typed);
  target.Destroy();
  ExitConfirmed(tavion, main);
}

}  // namespace
}  // namespace tavion::e2e
