#include "services/shortcuts_win.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/utf_win.h"
#include "exec/launch.h"
#include "exec/launch_system_win.h"
#include "pipeline/command_line.h"
#include "services/shortcuts.h"
#include "settings/registry_win.h"
#include "tavion_process.h"
#include "ui/main_options_page.h"
#include "wine/support/test_support.h"

namespace tavion {
namespace {

std::wstring Expanded(const std::string& path) {
  return Utf8ToWide(ExpandVariables(path, Win32LaunchSystem(L"")));
}

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// "target|arguments|working folder" of a link file, read back through the shell's link object.
std::string ReadLink(const std::wstring& file) {
  IShellLinkW* link = nullptr;
  IPersistFile* persist = nullptr;
  wchar_t target[MAX_PATH] = {}, arguments[MAX_PATH] = {}, folder[MAX_PATH] = {};
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                 reinterpret_cast<void**>(&link))) &&
      SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist))) &&
      SUCCEEDED(persist->Load(file.c_str(), STGM_READ))) {
    link->GetPath(target, MAX_PATH, nullptr, 0);
    link->GetArguments(arguments, MAX_PATH);
    link->GetWorkingDirectory(folder, MAX_PATH);
  }
  if (persist) persist->Release();
  if (link) link->Release();
  return WideToUtf8(std::wstring(target) + L"|" + arguments + L"|" + folder);
}

// Every file and folder the four kinds can make, the deepest first.
std::vector<std::wstring> EveryShortcutPath() {
  std::vector<std::wstring> paths;
  for (const ShortcutLink& link : ShortcutItemsOf(kShortcutGroup, {"p", "h", "u"}).links)
    paths.push_back(Expanded(link.file));
  for (int kind = kShortcutGroup; kind <= kShortcutQuickLaunch; ++kind)
    paths.push_back(Expanded(ShortcutMarker(kind)));
  return paths;
}

// A program folder of its own with the program, its help file and its uninstaller (empty files
// will do); the shell folders are checked clean before and cleaned after. Wine's desktop is the
// Unix home, which other programs share: the tests' desktop is a folder in the program folder.
// Wine's menu builder, which would mirror the links into the Unix desktop, is kept out.
class ShortcutsTest : public testing::Test {
 protected:
  void SetUp() override {
    // Disabled for every process of the prefix: the programs the test starts inherit nothing.
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Wine\\DllOverrides",
                                             L"winemenubuilder.exe", REG_SZ, L"", sizeof L""));
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    folder_ = Expanded("%temp%\\") + wine_test::UniqueName(L"Tavion shortcuts");
    ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr));
    for (const wchar_t* name : kProgramFiles)
      ASSERT_TRUE(wine_test::WriteWholeFile(folder_ + name, "x"));
    program_ = {folder_ + kProgramFiles[0], folder_ + kProgramFiles[1]};
    DWORD size = sizeof desktopBefore_;
    ASSERT_EQ(ERROR_SUCCESS,
              RegGetValueW(HKEY_CURRENT_USER, kShellFolders, L"Desktop",
                           RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr, desktopBefore_, &size));
    ASSERT_TRUE(CreateDirectoryW((folder_ + kDesktop).c_str(), nullptr));
    ASSERT_TRUE(SetDesktop(folder_ + kDesktop));
    // Shortcuts there before are the user's: never touched, the test fails.
    for (const std::wstring& path : EveryShortcutPath())
      ASSERT_FALSE(Exists(path)) << "there before the test: " << WideToUtf8(path);
    ownsShortcuts_ = true;
    quickLaunchMade_ = !Exists(Expanded(kQuickLaunch));
  }

  void TearDown() override {
    if (ownsShortcuts_)
      for (const std::wstring& path : EveryShortcutPath())
        if (!DeleteFileW(path.c_str())) RemoveDirectoryW(path.c_str());
    if (ownsShortcuts_ && quickLaunchMade_) {
      RemoveDirectoryW(Expanded(kQuickLaunch).c_str());
      RemoveDirectoryW(Expanded("%appdata%\\Microsoft\\Internet Explorer").c_str());
    }
    if (*desktopBefore_) SetDesktop(desktopBefore_);
    RemoveDirectoryW((folder_ + kDesktop).c_str());
    for (const wchar_t* name : kProgramFiles) DeleteFileW((folder_ + name).c_str());
    RemoveDirectoryW(folder_.c_str());
    CoUninitialize();
  }

  static bool SetDesktop(const std::wstring& folder) {
    return RegSetKeyValueW(
               HKEY_CURRENT_USER, kShellFolders, L"Desktop", REG_EXPAND_SZ, folder.c_str(),
               static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
  }

  static constexpr wchar_t kShellFolders[] =
      L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
  static constexpr wchar_t kDesktop[] = L"\\Desktop";
  static constexpr char kQuickLaunch[] = "%appdata%\\Microsoft\\Internet Explorer\\Quick Launch";
  static constexpr const wchar_t* kProgramFiles[] = {L"\\Tavion.exe", L"\\Tavion.chm",
                                                     L"\\Uninstall.exe"};
  std::wstring folder_;
  wchar_t desktopBefore_[MAX_PATH] = {};
  ShortcutProgram program_;
  bool ownsShortcuts_ = false;
  bool quickLaunchMade_ = false;
};

TEST_F(ShortcutsTest, AllFourKindsAreLinksToTheProgramThatTheLinkSwitchesRemoveAgain) {
  const int all[] = {kShortcutSetAll};
  ASSERT_TRUE(CreateShortcuts(program_, true, all));
  const std::string program = WideToUtf8(program_.executable), in = WideToUtf8(folder_);
  const std::vector<std::string> links = {program + "||" + in,           in + "\\Tavion.chm||" + in,
                                          in + "\\Uninstall.exe||" + in, program + "||" + in,
                                          program + "||" + in,           program + "||" + in};
  const std::vector<std::wstring> paths = EveryShortcutPath();
  // The group's folder, fourth of the paths, is no link.
  for (size_t i = 0; i < links.size(); ++i) EXPECT_EQ(links[i], ReadLink(paths[i < 3 ? i : i + 1]));
  MemoryForm form(MainOptionsPageControls());
  const auto boxes = [&form] {
    ShowExistingShortcuts(form);
    std::string ticks;
    for (const char* box : {"cb_sc1", "cb_sc2", "cb_sc3", "cb_sc4"})
      ticks += form.Checked(*form.Find(box)) ? 'x' : '-';
    return ticks;
  };
  EXPECT_EQ("xxxx", boxes());

  // The program's switches remove them all, and it ends before its window, where a first start
  // would register autorun.
  wine_test::Process tavion;
  ASSERT_TRUE(tavion.Start(L"\"" + wine_test::ProgramFolder() +
                           L"\\Tavion.exe\" /linkX /LINK_REMOTE /pre_kill"));
  EXPECT_EQ(0u, tavion.WaitForExit().value_or(999));
  for (const std::wstring& path : paths) EXPECT_FALSE(Exists(path)) << WideToUtf8(path);
  EXPECT_FALSE(AutorunRegistered(Win32Registry(HKEY_CURRENT_USER)));
  EXPECT_EQ("----", boxes());
}

TEST_F(ShortcutsTest, AGroupThatCannotBeRemovedOrMadeFailsAndItsBoxIsCleared) {
  const int group[] = {kShortcutGroup};
  const std::wstring folder = Expanded(ShortcutMarker(kShortcutGroup));
  ASSERT_TRUE(CreateShortcuts(program_, true, group));
  const std::wstring own = folder + L"\\notes.txt";
  {
    ASSERT_TRUE(wine_test::WriteWholeFile(own, "mine"));
    const wine_test::ScopeExit removeOwn([&] { DeleteFileW(own.c_str()); });
    EXPECT_FALSE(CreateShortcuts(program_, false, group));
    EXPECT_TRUE(Exists(own));
    EXPECT_FALSE(Exists(folder + L"\\Tavion.lnk"));
  }
  RemoveDirectoryW(folder.c_str());

  // A file where the group's folder belongs.
  ASSERT_TRUE(wine_test::WriteWholeFile(folder, "in the way"));
  const wine_test::ScopeExit removeFile([&] { DeleteFileW(folder.c_str()); });
  MemoryForm form(MainOptionsPageControls());
  const size_t box = *form.Find("cb_sc1");
  form.SetChecked(box, true);
  EXPECT_TRUE(CreateApplicationShortCuts(form, box, program_));
  EXPECT_FALSE(form.Checked(box));
}

// The check box of `main` captioned `caption`, or null.
HWND CheckBox(HWND main, const std::wstring& caption) {
  return e2e::FindDescendantByText(main, caption);
}

bool Ticked(HWND box) {
  return SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

TEST_F(ShortcutsTest, ADesktopSwitchMakesItsLinkBeforeAFirstStartThatShowsWhatIsThere) {
  e2e::TavionProcess tavion;
  HWND main = e2e::StartShown(tavion, L"/link2");
  ASSERT_NE(nullptr, main);
  HWND desktop = CheckBox(main, L"Shortcut on desktop");
  HWND load = CheckBox(main, L"Launch program on Windows start");
  ASSERT_TRUE(desktop && load);
  EXPECT_TRUE(Ticked(desktop));
  EXPECT_FALSE(Ticked(CheckBox(main, L"Group in main menu")));
  EXPECT_TRUE(Ticked(load)) << "a first start registers autorun";
  // The page scrolled down to the boxes, as the screenshot shows them.
  for (HWND page = GetParent(desktop); page && page != main; page = GetParent(page))
    SendMessageW(page, WM_VSCROLL, SB_PAGEDOWN, 0);
  e2e::Shoot(main, "main-options-shortcuts-" + std::to_string(e2e::ScreenDpi()));

  // Clicked as a user does, each box acts at once.
  SendMessageW(desktop, BM_CLICK, 0, 0);
  EXPECT_TRUE(e2e::WaitUntil([] { return !ShortcutExists(kShortcutDesktop); }));
  SendMessageW(load, BM_CLICK, 0, 0);
  EXPECT_TRUE(e2e::WaitUntil([] { return !AutorunRegistered(Win32Registry(HKEY_CURRENT_USER)); }));
  e2e::ExitConfirmed(tavion, main);
}

}  // namespace
}  // namespace tavion
