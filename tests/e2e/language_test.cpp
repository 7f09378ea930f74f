// A language file in the "Lang" folder, chosen in the selector of "Main options": the window, the
// tray menu and the action editor are translated at once, the choice kept; a first start takes
// the installer's language. The texts are longer: the screenshots show nothing cut.
#include <windows.h>

#include <commctrl.h>
#include <tlhelp32.h>
#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

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
  } local = {};
  local.item.mask = TVIF_TEXT;
  local.item.hItem = item;
  local.item.cchTextMax = 128;
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

// The text of `key` in `section` of the shipped file of `language`; a text no window shows when
// the file or the key is missing.
std::wstring Shipped(const wchar_t* language, const wchar_t* section, const wchar_t* key) {
  const std::wstring file = wine_test::ProgramFolder() + L"\\Lang\\" + language + L".lng";
  wchar_t text[512] = {};
  GetPrivateProfileStringW(section, key, L"<missing>", text, 512, file.c_str());
  return text;
}

// Chooses `language` in the selector of "Main options" as a user does; the selector, or null
// when it does not list the language.
HWND ChooseLanguage(HWND main, const wchar_t* language) {
  LRESULT entry = CB_ERR;
  HWND selector = FindControl(main, L"ComboBox", [&](HWND combo) {
    entry = SendMessageW(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                         reinterpret_cast<LPARAM>(language));
    return entry >= 0;
  });
  if (!selector) return nullptr;
  SendMessageW(selector, CB_SETCURSEL, static_cast<WPARAM>(entry), 0);
  SendMessageW(GetParent(selector), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(selector), CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(selector));
  return selector;
}

// Runs `function` of this process's module on a thread of `process` with `argument`, at the
// same offset in that process's copy of the module; the thread's exit code, or nothing.
std::optional<DWORD> RunInside(HANDLE process, const void* function, void* argument) {
  HMODULE module = nullptr;
  wchar_t path[MAX_PATH] = {};
  if (!GetModuleHandleExW(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
          static_cast<const wchar_t*>(function), &module) ||
      !GetModuleFileNameW(module, path, MAX_PATH))
    return std::nullopt;
  const std::wstring name = std::wstring(path).substr(std::wstring(path).rfind(L'\\') + 1);
  HANDLE modules = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, GetProcessId(process));
  MODULEENTRY32W entry = {};
  entry.dwSize = sizeof entry;
  const BYTE* start = nullptr;
  for (BOOL more = Module32FirstW(modules, &entry); more && !start;
       more = Module32NextW(modules, &entry))
    if (lstrcmpiW(entry.szModule, name.c_str()) == 0)
      start = entry.modBaseAddr +
              (static_cast<const BYTE*>(function) - reinterpret_cast<const BYTE*>(module));
  CloseHandle(modules);
  HANDLE thread =
      start ? CreateRemoteThread(process, nullptr, 0,
                                 reinterpret_cast<LPTHREAD_START_ROUTINE>(const_cast<BYTE*>(start)),
                                 argument, 0, nullptr)
            : nullptr;
  DWORD code = 0;
  const bool ran = thread && WaitForSingleObject(thread, 10000) == WAIT_OBJECT_0 &&
                   GetExitCodeThread(thread, &code);
  if (thread) CloseHandle(thread);
  return ran ? std::optional(code) : std::nullopt;
}

// The item texts of the menu that process `pid` shows, a separator as "", read inside that
// process by the reader library.
std::vector<std::wstring> ShownMenu(DWORD pid) {
  const std::wstring library = wine_test::ProgramFolder() + L"\\tavion_e2e_menu_reader.dll";
  HMODULE reader = LoadLibraryW(library.c_str());
  const auto load = GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "LoadLibraryW");
  const auto readMenu = reader ? GetProcAddress(reader, "ReadShownMenu") : nullptr;
  HANDLE process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, pid);
  wchar_t text[4096] = {};
  void* remote =
      process ? VirtualAllocEx(process, nullptr, sizeof text, MEM_COMMIT, PAGE_READWRITE) : nullptr;
  // The library's handle is the exit code of LoadLibraryW, cut to 32 bits: not to be tested.
  const bool got =
      remote && readMenu &&
      WriteProcessMemory(process, remote, library.c_str(), (library.size() + 1) * 2, nullptr) &&
      RunInside(process, reinterpret_cast<const void*>(load), remote) &&
      RunInside(process, reinterpret_cast<const void*>(readMenu), remote).value_or(0) != 0 &&
      ReadProcessMemory(process, remote, text, sizeof text - sizeof(wchar_t), nullptr);
  if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  if (process) CloseHandle(process);
  std::vector<std::wstring> items;
  std::wistringstream lines(got ? text : L"");
  for (std::wstring line; std::getline(lines, line);) items.push_back(line);
  return items;
}

// Expects the main window, on "Main options", to show the texts of the shipped `language`.
void ExpectMainWindowIn(const wchar_t* language, HWND main, DWORD pid) {
  EXPECT_EQ(Shipped(language, L"Strings", L"PageMainOptions"), PageTitle(main));
  EXPECT_NE(nullptr, FindByText(main, L"Button", Shipped(language, L"Fr1", L"TrayIcon")))
      << "a control of the page";
  for (const wchar_t* key : {L"ButtonClose", L"ButtonDisable", L"ButtonMinimize"})
    EXPECT_NE(nullptr, FindByText(main, L"Button", Shipped(language, L"Strings", key))) << key;
  EXPECT_TRUE(NavigationShows(FindDescendant(main, L"SysTreeView32"), pid,
                              Shipped(language, L"Strings", L"PageKeyNames")))
      << "a navigation entry";
}

// One action in the profile, for the editor to open on.
void WriteProbeAction() {
  WriteSetting(L"Keys\\Default\\000", L"Name", L"Probe");
  WriteSetting(L"Keys\\Default\\000", L"Exec", L"srun");
}

// Opens the action editor on the first action with F2, expects the texts of the shipped
// `language` and saves a screenshot of each of its pages, then cancels it.
void ExpectEditorIn(const wchar_t* language, HWND main, DWORD pid, const std::string& shot) {
  ASSERT_NE(nullptr, FocusActionTree(main, Shipped(language, L"Strings", L"PageActions")));
  Press({VK_F2});
  HWND editor = OpenedEditor(pid, Shipped(language, L"Fr2", L"CaptionEdt").c_str());
  ASSERT_NE(nullptr, editor) << "captioned in the language";
  for (const wchar_t* key : {L"l_type", L"l_name"})
    EXPECT_NE(nullptr, FindByText(editor, L"Static", Shipped(language, L"Fr2", key))) << key;
  EXPECT_EQ(Shipped(language, L"Strings", L"ButtonCancel"),
            wine_test::WindowText(GetDlgItem(editor, IDCANCEL)));
  HWND pages = FindDescendant(editor, WC_TABCONTROLW);
  const int count = static_cast<int>(SendMessageW(pages, TCM_GETITEMCOUNT, 0, 0));
  EXPECT_EQ(3, count) << "a launch action has its options page";
  for (int page = 0; page < count; ++page) {
    ASSERT_TRUE(page == 0 || SwitchPage(pages, /*back=*/false, page)) << page;
    Shoot(editor, shot + "-" + std::to_string(page));
  }
  PostMessageW(editor, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindow(editor); }));
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

  HWND selector = ChooseLanguage(main, L"Testish");
  ASSERT_NE(nullptr, selector) << "the selector lists the language file";

  EXPECT_EQ(L"Main options of the program", PageTitle(main));
  EXPECT_NE(nullptr,
            FindByText(main, L"Button", L"Show the program's own icon in the system tray area"))
      << "a control of the page";
  EXPECT_NE(nullptr, FindByText(main, L"Button", L"Close it now")) << "a bottom button";
  EXPECT_TRUE(NavigationShows(FindDescendant(main, L"SysTreeView32"), tavion.Id(),
                              L"Names of the keyboard keys"))
      << "a navigation entry";
  EXPECT_EQ(SendMessageW(selector, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                         reinterpret_cast<LPARAM>(L"Testish")),
            SendMessageW(selector, CB_GETCURSEL, 0, 0));
  SaveScreenshot("language-after-" + dpi);

  ExitConfirmed(tavion, main);
  EXPECT_EQ(L"Testish", StoredLanguage()) << "the next start opens the same language";
}

TEST(Language, RussianChosenTranslatesTheWindowTheTrayMenuAndTheEditorAtOnce) {
  WriteProbeAction();
  TavionProcess tavion;
  HWND main = StartShown(tavion);
  ASSERT_NE(nullptr, main);
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == main; }));
  ASSERT_NE(nullptr, ChooseLanguage(main, L"Russian"));
  ExpectMainWindowIn(L"Russian", main, tavion.Id());
  const std::string dpi = std::to_string(ScreenDpi());
  Shoot(main, "language-russian-main-" + dpi);

  PostMessageW(main, 0x40B /*WM_TV_TRAY*/, 1, WM_RBUTTONUP);
  ASSERT_NE(nullptr, wine_test::WaitForWindow(L"#32768", tavion.Id()));
  std::vector<std::wstring> expected;
  for (const wchar_t* key :
       {L"TrayRestore", L"", L"TrayProfiles", L"TrayActions", L"TrayLanguage", L"", L"TrayDisable",
        L"TrayDisableWin", L"TrayBlockKeyboard", L"", L"TrayExit"})
    expected.push_back(*key ? Shipped(L"Russian", L"Strings", key) : L"");
  expected[6].replace(expected[6].find(L"%s"), 2, L"Tavion");
  EXPECT_EQ(expected, ShownMenu(tavion.Id()));
  SaveScreenshot("language-russian-tray-" + dpi);
  // Wine's menu loop may miss a key that comes as it starts: Escape again while the menu shows.
  const auto menuGone = [&] { return wine_test::TopLevelWindows(L"#32768", tavion.Id()).empty(); };
  for (int attempt = 0; attempt < 3 && !menuGone(); ++attempt) {
    Press({VK_ESCAPE});
    WaitUntil(menuGone, 3000);
  }
  ASSERT_TRUE(menuGone());

  ExpectEditorIn(L"Russian", main, tavion.Id(), "language-russian-editor-" + dpi);
  ExitConfirmed(tavion, main);
}

// The installer's language, 1058, on a first start: Ukrainian from the start, and kept.
TEST(Language, AFirstStartTakesTheInstallersUkrainian) {
  WriteSetting(L"Setup", L"Lang", 1058);
  WriteProbeAction();
  TavionProcess tavion;
  HWND main = StartShown(tavion);
  ASSERT_NE(nullptr, main);
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == main; }));
  ExpectMainWindowIn(L"Ukrainian", main, tavion.Id());
  const std::string dpi = std::to_string(ScreenDpi());
  Shoot(main, "language-ukrainian-main-" + dpi);
  ExpectEditorIn(L"Ukrainian", main, tavion.Id(), "language-ukrainian-editor-" + dpi);
  ExitConfirmed(tavion, main);
  EXPECT_EQ(L"Ukrainian", StoredLanguage());
}

}  // namespace
}  // namespace tavion::e2e
