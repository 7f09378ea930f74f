// "Macros" as a new user meets it: a recording started and stopped with Insert or the tray icon,
// named in the name dialog (Cancel keeps nothing), stored with its events and their delays, and
// bound to a hot key with "Add action for macros" that types it again in another window.
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

constexpr wchar_t kMacrosKey[] = L"Software\\Quillon\\Tavion\\Macros";

// The stored macros: name and text of each value.
std::vector<std::pair<std::wstring, std::wstring>> StoredMacros() {
  std::vector<std::pair<std::wstring, std::wstring>> macros;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kMacrosKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
    return macros;
  for (DWORD i = 0;; ++i) {
    wchar_t name[64], data[1024];
    DWORD nameSize = 64, dataSize = sizeof data - sizeof(wchar_t);
    if (RegEnumValueW(key, i, name, &nameSize, nullptr, nullptr, reinterpret_cast<BYTE*>(data),
                      &dataSize) != ERROR_SUCCESS)
      break;
    data[dataSize / sizeof(wchar_t)] = L'\0';
    macros.emplace_back(name, data);
  }
  RegCloseKey(key);
  return macros;
}

// The push button of `page` showing `caption`.
HWND Button(HWND page, const wchar_t* caption) {
  return FindWindowExW(page, nullptr, L"Button", caption);
}

// Insert on the list records or stops; the record button tells which.
bool ToggleRecording(HWND page, bool recording) {
  Press({VK_INSERT});
  return WaitUntil([&] { return Button(page, recording ? L"Stop" : L"Record") != nullptr; });
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

  // A click on the tray icon ends a recording too; Cancel in the name dialog keeps nothing.
  ASSERT_TRUE(ToggleRecording(page, true));
  Press({'X'});
  const std::optional<POINT> tray = TrayIconPoint(main);
  ASSERT_TRUE(tray);
  ClickAt(*tray, MOUSEEVENTF_LEFTDOWN);
  HWND dialog = wine_test::WaitForWindow(L"#32770", tavion.Id(), L"Tavion");
  ASSERT_NE(nullptr, dialog);
  EXPECT_EQ(L"Macros1", wine_test::WindowText(FindDescendant(dialog, L"Edit")));
  EXPECT_NE(nullptr, FindWindowExW(dialog, nullptr, L"Static", L"Input name for new macros"));
  Press({VK_ESCAPE});
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
  EXPECT_TRUE(StoredMacros().empty());
  EXPECT_NE(nullptr, Button(page, L"Record"));

  // "ab" with 300 ms between the keys, stored under the offered name.
  ASSERT_TRUE(ToggleRecording(page, true));
  SaveScreenshot("page-macros-recording-" + dpi);
  Press({'A'});
  Sleep(300);
  Press({'B'});
  ASSERT_TRUE(ToggleRecording(page, false));
  dialog = wine_test::WaitForWindow(L"#32770", tavion.Id(), L"Tavion");
  ASSERT_NE(nullptr, dialog);
  SaveScreenshot("page-macros-name-" + dpi);
  Press({VK_RETURN});
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
  // The macro editor opens for it; its own test looks inside.
  if (HWND editor = wine_test::WaitForWindow(L"#32770", tavion.Id(), L"Change macros", 3000)) {
    PostMessageW(editor, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(editor); }));
  }
  const auto macros = StoredMacros();
  ASSERT_EQ(1u, macros.size());
  EXPECT_EQ(L"Macros1", macros[0].first);
  const std::vector<std::string> items = MacroItemsFromText(WideToUtf8(macros[0].second));
  ASSERT_EQ(6u, items.size()) << "layout, settings, four events: " << WideToUtf8(macros[0].second);
  EXPECT_NE(std::optional<int32_t>(0), ParseMacroNumber(items[0])) << "the keyboard layout";
  EXPECT_EQ(NewRecordingSettingsText(), items[1]);
  const struct {
    uint8_t key;
    bool released;
  } expected[] = {{'A', false}, {'A', true}, {'B', false}, {'B', true}};
  for (size_t i = 0; i < 4; ++i) {
    const std::optional<MacroEvent> event = ParseMacroEventItem(items[2 + i]);
    ASSERT_TRUE(event) << items[2 + i];
    EXPECT_EQ(expected[i].key, event->keyCode) << i;
    EXPECT_EQ(expected[i].released, event->released) << i;
  }
  const int pause = ParseMacroEventItem(items[4])->delayMs + 256;
  EXPECT_TRUE(pause >= 300 && pause < 400)
      << "300 ms and a little are stored as 44 and a little: " << pause - 256;
  EXPECT_EQ(1, SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  EXPECT_EQ(0, SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  RedrawWindow(main, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  SaveScreenshot("page-macros-" + dpi);

  // "Add action for macros": the editor starts on the macro; the key Ctrl+Shift+F9 is captured.
  ASSERT_TRUE(WaitUntil([&] { return FocusOf(main) == list; }));
  Press({VK_TAB, VK_TAB, VK_SPACE});
  HWND editor = wine_test::WaitForWindow(L"#32770", tavion.Id(), L"Add new action");
  ASSERT_NE(nullptr, editor);
  HWND keyEdit = FindDescendant(editor, L"TKeyEdit");
  ASSERT_TRUE(WaitUntil([&] { return FocusOf(editor) != nullptr; }));
  for (int i = 0; i < 6 && FocusOf(editor) != keyEdit; ++i) {
    Press({VK_TAB});
    WaitUntil([&] { return FocusOf(editor) == keyEdit; }, 500);
  }
  ASSERT_EQ(keyEdit, FocusOf(editor));
  // The capture starts with the focus, a moment after it can be seen from here.
  for (int i = 0; i < 10 && wine_test::WindowText(keyEdit) != L"Ctrl + Shift + F9"; ++i) {
    PressChord({VK_CONTROL, VK_SHIFT}, VK_F9);
    WaitUntil([&] { return wine_test::WindowText(keyEdit) == L"Ctrl + Shift + F9"; }, 500);
  }
  Press({VK_RETURN});
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(editor); }));

  // The hot key types "ab" in the window in front: a window of this test, and Wine's notepad.
  wine_test::WindowDesign design;
  design.style |= WS_VISIBLE;
  wine_test::TestWindow target(design);
  ASSERT_TRUE(wine_test::MakeForeground(target.hwnd()));
  PressChord({VK_CONTROL, VK_SHIFT}, VK_F9);
  EXPECT_TRUE(WaitUntil([&] { return target.Of(WM_CHAR).size() >= 2; }));
  const auto typed = target.Triples(WM_CHAR);
  ASSERT_EQ(2u, typed.size());
  EXPECT_EQ(static_cast<WPARAM>('a'), std::get<1>(typed[0]));
  EXPECT_EQ(static_cast<WPARAM>('b'), std::get<1>(typed[1]));
  target.Destroy();

  wine_test::Process notepad;
  ASSERT_TRUE(notepad.Start(L"notepad.exe"));
  HWND pad = wine_test::WaitForWindow(L"Notepad", notepad.info.dwProcessId);
  ASSERT_NE(nullptr, pad);
  ASSERT_TRUE(wine_test::MakeForeground(pad));
  PressChord({VK_CONTROL, VK_SHIFT}, VK_F9);
  HWND text = FindDescendant(pad, L"Edit");
  EXPECT_TRUE(WaitUntil([&] { return wine_test::WindowText(text) == L"ab"; }))
      << wine_test::WindowText(text);
  SaveScreenshot("page-macros-notepad-" + dpi);
  TerminateProcess(notepad.info.hProcess, 0);  // unsaved: no question

  ExitConfirmed(tavion, main);
}

}  // namespace
}  // namespace tavion::e2e
