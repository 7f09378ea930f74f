// A language file in the "Lang" folder, chosen in the selector of "Main options": the window is
// translated at once, the choice kept. Its texts are longer: the screenshots show nothing cut.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "tavion_process.h"

namespace tavion::e2e {
namespace {

constexpr char kTestLanguage[] =
    "\xEF\xBB\xBF[Strings]\r\nButtonClose=Close it now\r\nButtonDisable=Disable it now\r\n"
    "ButtonMinimize=Minimize it now\r\nPageMainOptions=Main options of the program\r\n"
    "PageKeyNames=Names of the keyboard keys\r\nPanelTavion=Options of the program - Tavion\r\n"
    "[Fr1]\r\ng_kernel=Options of the hot-key kernel here\r\ng_misc=Miscellaneous other options\r\n"
    "SemiKeyAc=Enable several different actions on one single key\r\n"
    "MiceKeyAc=Enable the shortcuts made with mouse buttons too\r\n"
    "TrayIcon=Show the program's own icon in the system tray area\r\n"
    "cb_lang=Language of the whole interface:\r\nb_psave=Save all of the options into one file\r\n"
    "b_pload=Load all of the options from one file\r\n";

// The text of `item` of the tree view `tree` in process `pid`, read through that process's memory.
std::wstring TreeItemText(HWND tree, DWORD pid, HTREEITEM item) {
  struct Remote {
    TVITEMW item;
    wchar_t text[128];
  } local = {{.mask = TVIF_TEXT, .hItem = item, .cchTextMax = 128}, {}};
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, 0, pid);
  auto* remote = static_cast<Remote*>(
      VirtualAllocEx(process, nullptr, sizeof(Remote), MEM_COMMIT, PAGE_READWRITE));
  local.item.pszText = remote ? remote->text : nullptr;
  DWORD_PTR ignored = 0;
  const bool read = remote && WriteProcessMemory(process, remote, &local, sizeof local, nullptr) &&
                    SendMessageTimeoutW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(remote),
                                        SMTO_ABORTIFHUNG, 2000, &ignored) &&
                    ReadProcessMemory(process, remote, &local, sizeof local, nullptr);
  if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  if (process) CloseHandle(process);
  local.text[127] = L'\0';
  return read ? local.text : L"";
}

// Whether one entry of the navigation reads `text`.
bool NavigationShows(HWND tree, DWORD pid, const std::wstring& text) {
  for (HTREEITEM panel = TreeView_GetRoot(tree); panel;
       panel = TreeView_GetNextSibling(tree, panel))
    for (HTREEITEM entry = TreeView_GetChild(tree, panel); entry;
         entry = TreeView_GetNextSibling(tree, entry))
      if (TreeItemText(tree, pid, entry) == text) return true;
  return false;
}

// The first descendant of `parent` of class `className` that `match` accepts, or null.
HWND FindControl(HWND parent, const wchar_t* className, const std::function<bool(HWND)>& match) {
  for (HWND child = nullptr; (child = FindWindowExW(parent, child, nullptr, nullptr));) {
    wchar_t name[32] = {};
    GetClassNameW(child, name, static_cast<int>(std::size(name)));
    if (std::wstring(name) == className && match(child)) return child;
    if (HWND found = FindControl(child, className, match)) return found;
  }
  return nullptr;
}

HWND FindByText(HWND parent, const wchar_t* className, const std::wstring& text) {
  return FindControl(parent, className,
                     [&](HWND control) { return wine_test::WindowText(control) == text; });
}

std::wstring StoredLanguage() {
  wchar_t text[64] = {};
  DWORD size = sizeof text;
  RegGetValueW(HKEY_CURRENT_USER, L"Software\\Quillon\\Tavion", L"Language", RRF_RT_REG_SZ, nullptr,
               text, &size);
  return text;
}

TEST(Language, ChosenInTheSelectorItTranslatesTheWindowAtOnceAndIsKept) {
  const std::wstring folder = wine_test::ProgramFolder() + L"\\Lang";
  const bool madeFolder = CreateDirectoryW(folder.c_str(), nullptr) != FALSE;
  const std::wstring file = folder + L"\\Testish.lng";
  const wine_test::ScopeExit cleanUp([&] {
    DeleteFileW(file.c_str());
    if (madeFolder) RemoveDirectoryW(folder.c_str());
  });
  ASSERT_TRUE(wine_test::WriteWholeFile(file, kTestLanguage));

  TavionProcess tavion;
  HWND main = StartShown(tavion);
  ASSERT_NE(nullptr, main);
  ASSERT_TRUE(WaitUntil([&] { return PageTitle(main) == L"Main options"; }));
  const std::string dpi = std::to_string(ScreenDpi());
  SaveScreenshot("language-before-" + dpi);

  LRESULT entry = CB_ERR;
  HWND selector = FindControl(main, L"ComboBox", [&entry](HWND combo) {
    entry = SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                         reinterpret_cast<LPARAM>(L"Testish"));
    return entry >= 0;
  });
  ASSERT_NE(nullptr, selector) << "the selector lists the language file";
  SendMessageW(selector, CB_SETCURSEL, static_cast<WPARAM>(entry), 0);
  SendMessageW(GetParent(selector), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(selector), CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(selector));

  EXPECT_EQ(L"Main options of the program", PageTitle(main));
  EXPECT_NE(nullptr,
            FindByText(main, L"Button", L"Show the program's own icon in the system tray area"))
      << "a control of the page";
  EXPECT_NE(nullptr, FindByText(main, L"Button", L"Close it now")) << "a bottom button";
  EXPECT_TRUE(NavigationShows(FindDescendant(main, L"SysTreeView32"), tavion.Id(),
                              L"Names of the keyboard keys"))
      << "a navigation entry";
  EXPECT_EQ(entry, SendMessageW(selector, CB_GETCURSEL, 0, 0));
  SaveScreenshot("language-after-" + dpi);

  ExitConfirmed(tavion, main);
  EXPECT_EQ(L"Testish", StoredLanguage()) << "the next start opens the same language";
}

}  // namespace
}  // namespace tavion::e2e
