// "Names of keys" as a new user meets it: reached through the navigation, a key named in the
// "Add new key" dialog with the keyboard alone, the row and the registry at once, and the entry
// deleted again.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "keys/hotkey.h"
#include "tavion_process.h"

namespace tavion::e2e {
namespace {

constexpr wchar_t kExKeys[] = L"Software\\Quillon\\Tavion\\ExKeys";

// The lines of the key-name table as the registry holds them.
std::vector<std::wstring> StoredLines() {
  std::vector<std::wstring> lines;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kExKeys, 0, KEY_READ, &key) != ERROR_SUCCESS) return lines;
  for (DWORD i = 0;; ++i) {
    wchar_t name[16], data[256];
    DWORD nameSize = 16, dataSize = sizeof data - sizeof(wchar_t), type = 0;
    if (RegEnumValueW(key, i, name, &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(data),
                      &dataSize) != ERROR_SUCCESS)
      break;
    data[dataSize / sizeof(wchar_t)] = L'\0';
    if (type == REG_SZ) lines.emplace_back(data);
  }
  RegCloseKey(key);
  return lines;
}

bool Stored(const std::wstring& line) {
  const std::vector<std::wstring> lines = StoredLines();
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// The texts of `row` of a list view of process `pid`: the item is read into memory of that
// process, where the list can write it.
std::vector<std::wstring> RowTexts(HWND list, DWORD pid, int row, int columns) {
  struct Remote {
    LVITEMW item;
    wchar_t text[128];
  };
  std::vector<std::wstring> texts;
  HANDLE process =
      OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (!process) return texts;
  auto* remote = static_cast<Remote*>(
      VirtualAllocEx(process, nullptr, sizeof(Remote), MEM_COMMIT, PAGE_READWRITE));
  for (int column = 0; remote && column < columns; ++column) {
    Remote local = {};
    local.item.iSubItem = column;
    local.item.cchTextMax = 128;
    local.item.pszText = remote->text;
    DWORD_PTR ignored = 0;
    if (!WriteProcessMemory(process, remote, &local, sizeof local, nullptr) ||
        !SendMessageTimeoutW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(remote),
                             SMTO_ABORTIFHUNG, 2000, &ignored) ||
        !ReadProcessMemory(process, remote, &local, sizeof local, nullptr))
      break;
    local.text[127] = L'\0';
    texts.emplace_back(local.text);
  }
  if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
  return texts;
}

// The n-th child of `parent` of class `className`.
HWND Child(HWND parent, const wchar_t* className, int n = 0) {
  HWND child = nullptr;
  for (int i = 0; i <= n; ++i) child = FindWindowExW(parent, child, className, nullptr);
  return child;
}

int Selected(HWND list) {
  return static_cast<int>(
      SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

// The capture control has key modes, user names and system names off: a held modifier is not
// combined, a key shows as the character of its code (F7, 118: "v"), and the release of a key on
// the up-only list counts as its press. Tab moves on; Enter confirms.
TEST(KeyNames, AKeyNamedInTheDialogIsListedAndStoredAtOnceAndDeletedAgain) {
  const UINT f7Scan = MapVirtualKeyW(VK_F7, MAPVK_VK_TO_VSC);
  const UINT f8Scan = MapVirtualKeyW(VK_F8, MAPVK_VK_TO_VSC);
  WriteSetting(L"", L"tr_upkeys", 1);
  // Injected keys carry LLKHF_INJECTED (16) in the hook's flags.
  WriteSetting(L"", L"TR_upkeys_list", L"119x" + std::to_wstring(f8Scan) + L"x16");
  TavionProcess tavion;
  ASSERT_TRUE(tavion.Start(L"/a"));
  HWND main = tavion.WaitForMainWindow();
  ASSERT_NE(nullptr, main);
  ASSERT_TRUE(RestoreFromTray(main));
  const int dpi = ScreenDpi();

  // The navigation's tenth row below the top, all panels open.
  Press({VK_HOME, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN,
         VK_DOWN, VK_RETURN});
  ASSERT_TRUE(WaitUntil([&] { return PageTitle(main) == L"Names of keys"; })) << PageTitle(main);
  Press({VK_TAB});
  HWND list = nullptr;
  ASSERT_TRUE(WaitUntil([&] {
    wchar_t className[32] = {};
    list = FocusOf(main);
    return GetClassNameW(list, className, 32) && lstrcmpW(className, WC_LISTVIEWW) == 0;
  })) << "Tab leaves the navigation for the list";
  const int defaults = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));

  Press({VK_INSERT});
  HWND dialog = wine_test::WaitForWindow(L"#32770", tavion.Id(), L"Add new key");
  ASSERT_NE(nullptr, dialog);
  HWND name = Child(dialog, L"Edit");
  HWND keyEdit = Child(dialog, L"TKeyEdit");
  HWND standard = Child(dialog, L"Edit", 1);
  ASSERT_TRUE(WaitUntil([&] { return FocusOf(dialog) == name; }));
  EXPECT_EQ(L"NewExKey", wine_test::WindowText(name));
  Type(L"Lab key");
  // The key kind keeps its normal-keys choice (the HID one is open: raw input has the mouse).
  Press({VK_TAB, VK_TAB});
  ASSERT_TRUE(WaitUntil([&] { return FocusOf(dialog) == keyEdit; })) << "name, key kind, key";
  EXPECT_EQ(L"Lab key", wine_test::WindowText(name)) << "the typed name replaces the default";

  wine_test::Inject({wine_test::KeyInput(VK_CONTROL, false), wine_test::KeyInput(VK_F8, true),
                     wine_test::KeyInput(VK_CONTROL, true)});
  ASSERT_TRUE(WaitUntil([&] { return wine_test::WindowText(keyEdit) == L"w"; }))
      << "an up-only key's release, Ctrl held not combined: " << wine_test::WindowText(keyEdit);
  PressChord({VK_SHIFT}, VK_F7);
  ASSERT_TRUE(WaitUntil([&] { return wine_test::WindowText(keyEdit) == L"v"; }))
      << "Shift does not combine: " << wine_test::WindowText(keyEdit);
  const std::wstring triple = L"118x" + std::to_wstring(f7Scan) + L"x16";
  EXPECT_TRUE(WaitUntil([&] { return wine_test::WindowText(standard) == triple; }))
      << wine_test::WindowText(standard);
  SaveScreenshot("page-names-of-keys-dialog-" + std::to_string(dpi));

  Press({VK_TAB});
  ASSERT_TRUE(WaitUntil([&] { return FocusOf(dialog) == standard; }));
  EXPECT_EQ(L"v", wine_test::WindowText(keyEdit)) << "Tab is not captured";
  Press({VK_RETURN});
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));

  const std::wstring line =
      L"Lab key=" + std::to_wstring(PackHotKey(VK_F7, f7Scan, LLKHF_INJECTED, 0));
  EXPECT_TRUE(WaitUntil([&] { return Stored(line); })) << "the table is saved on OK";
  ASSERT_TRUE(WaitUntil([&] { return Selected(list) >= 0; }));
  EXPECT_EQ((std::vector<std::wstring>{L"Lab key", L"v", L"118"}),
            RowTexts(list, tavion.Id(), Selected(list), 3))
      << "the new row is selected";
  EXPECT_EQ(defaults + 1, SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
  EXPECT_EQ(L"Total sum of keys - " + std::to_wstring(defaults + 1),
            wine_test::WindowText(Child(GetParent(list), L"Static")));
  SaveScreenshot("page-names-of-keys-added-" + std::to_string(dpi));

  ASSERT_EQ(list, FocusOf(main));
  Press({VK_DELETE});
  HWND box = wine_test::WaitForWindow(L"#32770", tavion.Id(), L"Tavion");
  ASSERT_NE(nullptr, box);
  EXPECT_EQ(L"Are you sure you want to delete 'Lab key?'", StaticText(box));
  Press({VK_RETURN});  // Yes, the default button
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
  EXPECT_TRUE(WaitUntil([&] { return SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) == defaults; }));
  EXPECT_FALSE(Stored(line));
  EXPECT_EQ(static_cast<size_t>(defaults), StoredLines().size());

  ExitConfirmed(tavion, main);
}

}  // namespace
}  // namespace tavion::e2e
