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
#include "services/shortcuts.h"
#include "settings/registry_win.h"
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

struct LinkFields {
  std::wstring target;
  std::wstring arguments;
  std::wstring folder;
};

// What the link file says, read back through the shell's link object.
LinkFields ReadLink(const std::wstring& file) {
  LinkFields fields;
  IShellLinkW* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(&link))))
    return fields;
  IPersistFile* persist = nullptr;
  wchar_t text[MAX_PATH] = {};
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)))) {
    if (SUCCEEDED(persist->Load(file.c_str(), STGM_READ))) {
      if (SUCCEEDED(link->GetPath(text, MAX_PATH, nullptr, 0))) fields.target = text;
      if (SUCCEEDED(link->GetArguments(text, MAX_PATH))) fields.arguments = text;
      if (SUCCEEDED(link->GetWorkingDirectory(text, MAX_PATH))) fields.folder = text;
    }
    persist->Release();
  }
  link->Release();
  return fields;
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
// will do: links need no real targets), and the shell folders checked clean before and cleaned
// after. Wine's menu builder, which mirrors links into the Unix desktop, is kept out.
class ShortcutsTest : public testing::Test {
 protected:
  void SetUp() override {
    SetEnvironmentVariableW(L"WINEDLLOVERRIDES",
                            L"mscoree=;mshtml=;winealsa.drv=d;winemenubuilder.exe=d");
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    // Shortcuts that were there before are the user's: never touched, the test fails.
    for (const std::wstring& path : EveryShortcutPath())
      ASSERT_FALSE(Exists(path)) << "there before the test: " << WideToUtf8(path);
    ownsShortcuts_ = true;
    quickLaunchMade_ = !Exists(QuickLaunchFolder());
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    folder_ = std::wstring(temp) + wine_test::UniqueName(L"Tavion shortcuts");
    ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr));
    for (const wchar_t* name : {L"Tavion.exe", L"Tavion.chm", L"Uninstall.exe"})
      ASSERT_TRUE(wine_test::WriteWholeFile(folder_ + L"\\" + name, "x"));
    program_ = {folder_ + L"\\Tavion.exe", folder_ + L"\\Tavion.chm"};
  }

  void TearDown() override {
    for (const std::wstring& path : EveryShortcutPath()) {
      if (!ownsShortcuts_) break;
      DeleteFileW(path.c_str());
      RemoveDirectoryW(path.c_str());
    }
    if (ownsShortcuts_ && quickLaunchMade_) {
      RemoveDirectoryW(QuickLaunchFolder().c_str());
      RemoveDirectoryW(Expanded("%appdata%\\Microsoft\\Internet Explorer").c_str());
    }
    for (const wchar_t* name : {L"Tavion.exe", L"Tavion.chm", L"Uninstall.exe"})
      DeleteFileW((folder_ + L"\\" + name).c_str());
    RemoveDirectoryW(folder_.c_str());
    CoUninitialize();
  }

  static std::wstring QuickLaunchFolder() {
    return Expanded("%appdata%\\Microsoft\\Internet Explorer\\Quick Launch");
  }

  std::wstring folder_;
  ShortcutProgram program_;
  bool ownsShortcuts_ = false;
  bool quickLaunchMade_ = false;
};

TEST_F(ShortcutsTest, AllFourKindsAreMadeAsLinksToTheProgramAndRemovedAgain) {
  const int all[] = {kShortcutSetAll};
  ASSERT_TRUE(CreateShortcuts(program_, true, all));
  const std::wstring group = Expanded("%menu_prog%\\Tavion");
  const struct {
    std::wstring link;
    std::wstring target;
  } made[] = {
      {group + L"\\Tavion.lnk", program_.executable},
      {group + L"\\Tavion help.lnk", program_.helpFile},
      {group + L"\\Uninstall Tavion.lnk", folder_ + L"\\Uninstall.exe"},
      {Expanded(ShortcutMarker(kShortcutProgramsMenu)), program_.executable},
      {Expanded(ShortcutMarker(kShortcutDesktop)), program_.executable},
      {Expanded(ShortcutMarker(kShortcutQuickLaunch)), program_.executable},
  };
  for (const auto& m : made) {
    const LinkFields fields = ReadLink(m.link);
    EXPECT_EQ(WideToUtf8(m.target), WideToUtf8(fields.target)) << WideToUtf8(m.link);
    EXPECT_EQ("", WideToUtf8(fields.arguments));
    EXPECT_EQ(WideToUtf8(folder_), WideToUtf8(fields.folder));
  }
  MemoryForm form(MainOptionsPageControls());
  ShowExistingShortcuts(form);
  for (const char* box : {"cb_sc1", "cb_sc2", "cb_sc3", "cb_sc4"})
    EXPECT_TRUE(form.Checked(*form.Find(box))) << box;

  EXPECT_TRUE(CreateShortcuts(program_, false, all));
  for (const std::wstring& path : EveryShortcutPath())
    EXPECT_FALSE(Exists(path)) << WideToUtf8(path);
  ShowExistingShortcuts(form);
  for (const char* box : {"cb_sc1", "cb_sc2", "cb_sc3", "cb_sc4"})
    EXPECT_FALSE(form.Checked(*form.Find(box))) << box;
}

TEST_F(ShortcutsTest, AGroupHoldingAFileOfTheUsersOwnStaysAndTheRemovalFails) {
  const int group[] = {kShortcutGroup};
  ASSERT_TRUE(CreateShortcuts(program_, true, group));
  const std::wstring folder = Expanded("%menu_prog%\\Tavion");
  const std::wstring own = folder + L"\\notes.txt";
  ASSERT_TRUE(wine_test::WriteWholeFile(own, "mine"));
  const wine_test::ScopeExit removeOwn([&] { DeleteFileW(own.c_str()); });

  EXPECT_FALSE(CreateShortcuts(program_, false, group));
  EXPECT_TRUE(Exists(own));
  EXPECT_FALSE(Exists(folder + L"\\Tavion.lnk"));
  EXPECT_FALSE(Exists(folder + L"\\Tavion help.lnk"));
}

TEST_F(ShortcutsTest, ABoxWhoseGroupCannotBeMadeIsCleared) {
  // A file where the group's folder belongs.
  const std::wstring blocker = Expanded("%menu_prog%\\Tavion");
  ASSERT_TRUE(wine_test::WriteWholeFile(blocker, "in the way"));
  MemoryForm form(MainOptionsPageControls());
  const size_t box = *form.Find("cb_sc1");
  form.SetChecked(box, true);
  EXPECT_TRUE(CreateApplicationShortCuts(form, box, program_));
  EXPECT_FALSE(form.Checked(box));
  DeleteFileW(blocker.c_str());

  // The desktop link's success or failure never clears its box; other controls are not ours.
  const size_t desktop = *form.Find("cb_sc3");
  form.SetChecked(desktop, true);
  EXPECT_TRUE(CreateApplicationShortCuts(form, desktop, program_));
  EXPECT_TRUE(form.Checked(desktop));
  EXPECT_TRUE(Exists(Expanded(ShortcutMarker(kShortcutDesktop))));
  EXPECT_FALSE(CreateApplicationShortCuts(form, *form.Find("cb_load"), program_));
}

TEST_F(ShortcutsTest, LinkSwitchesRemoveEverythingAndPreKillEndsTheProgramUnstarted) {
  ShortcutProgram installed = {wine_test::ProgramFolder() + L"\\Tavion.exe",
                               wine_test::ProgramFolder() + L"\\Tavion.chm"};
  const int all[] = {kShortcutSetAll};
  ASSERT_TRUE(CreateShortcuts(installed, true, all));
  for (int kind = kShortcutGroup; kind <= kShortcutQuickLaunch; ++kind)
    ASSERT_TRUE(ShortcutExists(kind)) << kind;

  wine_test::Process tavion;
  ASSERT_TRUE(tavion.Start(L"\"" + installed.executable + L"\" /linkX /LINK_REMOTE /pre_kill"));
  EXPECT_EQ(0u, tavion.WaitForExit().value_or(999));
  for (const std::wstring& path : EveryShortcutPath())
    EXPECT_FALSE(Exists(path)) << WideToUtf8(path);
  // It ended before its window: a first run registers autorun only there.
  EXPECT_FALSE(AutorunRegistered(Win32Registry(HKEY_CURRENT_USER)));
}

TEST(Autorun, APathWithBlanksIsOneQuotedPathBeforeTheSwitch) {
  Win32Registry user(HKEY_CURRENT_USER);
  const auto before = user.ReadString(kAutorunKeyPath, kAutorunValueName);
  const wine_test::ScopeExit restore([&] {
    if (before)
      user.WriteString(kAutorunKeyPath, kAutorunValueName, *before);
    else
      user.DeleteValue(kAutorunKeyPath, kAutorunValueName);
  });
  ASSERT_TRUE(SetAutorun(user, "C:\\Program Files\\My Tools\\Tavion.exe", true));
  wchar_t data[MAX_PATH] = {};
  DWORD size = sizeof data;
  ASSERT_EQ(ERROR_SUCCESS,
            RegGetValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                         L"Tavion", RRF_RT_REG_SZ, nullptr, data, &size));
  EXPECT_EQ(L"\"C:\\Program Files\\My Tools\\Tavion.exe\" /a", std::wstring(data));
  EXPECT_TRUE(AutorunRegistered(user));
  ASSERT_TRUE(SetAutorun(user, "C:\\Program Files\\My Tools\\Tavion.exe", false));
  EXPECT_FALSE(AutorunRegistered(user));
}

}  // namespace
}  // namespace tavion
