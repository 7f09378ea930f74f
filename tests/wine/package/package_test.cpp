// The installer and uninstaller of this build, run silently: what they leave on the system and
// what they take away again.

#include <gtest/gtest.h>
#include <shlobj.h>
#include <tlhelp32.h>
#include <windows.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>

#include "wine/support/test_support.h"

namespace {

namespace fs = std::filesystem;

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kUninstallKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tavion";
constexpr wchar_t kSettingsKey[] = L"Software\\Quillon\\Tavion";

fs::path ShellFolder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(/*hwnd=*/nullptr, csidl, /*hToken=*/nullptr, SHGFP_TYPE_CURRENT,
                              path))) {
    return {};
  }
  return path;
}

// The shortcuts of each kind the installer offers, by the digit of its /LINKS= switch.
struct ShortcutKind {
  char digit;
  fs::path link;
};
std::array<ShortcutKind, 4> ShortcutKinds() {
  const fs::path programs = ShellFolder(CSIDL_PROGRAMS);
  return {{{'1', programs / L"Tavion" / L"Tavion.lnk"},
           {'2', programs / L"Tavion.lnk"},
           {'3', ShellFolder(CSIDL_DESKTOPDIRECTORY) / L"Tavion.lnk"},
           {'4', ShellFolder(CSIDL_APPDATA) / L"Microsoft" / L"Internet Explorer" /
                     L"Quick Launch" / L"Tavion.lnk"}}};
}

bool KeyExists(const std::wstring& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return false;
  }
  RegCloseKey(key);
  return true;
}

// A REG_SZ value as it is, a REG_DWORD one in decimal; nothing when there is none.
std::optional<std::wstring> ReadValue(const wchar_t* key, const wchar_t* name) {
  wchar_t text[1024] = {};
  DWORD type = 0;
  DWORD size = sizeof text;
  if (RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ | RRF_RT_REG_DWORD, &type, text,
                   &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  if (type == REG_DWORD) {
    DWORD number = 0;
    std::memcpy(&number, text, sizeof number);
    return std::to_wstring(number);
  }
  return text;
}

// Whether a process runs from the folder NSIS copies its uninstaller into (%TEMP%\~nsu*.tmp).
bool UninstallerCopyRunning() {
  const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return true;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  bool found = false;
  for (BOOL more = Process32FirstW(snapshot, &entry); more && !found;
       more = Process32NextW(snapshot, &entry)) {
    const std::wstring name = entry.szExeFile;
    found = name == L"Au_.exe" || name.starts_with(L"Un_") || name == L"Un.exe";
  }
  CloseHandle(snapshot);
  return found;
}

class InstallerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    folder_ = fs::path(temp) / wine_test::UniqueName(L"Tavion setup");
    RemoveLeftovers();
  }
  void TearDown() override { RemoveLeftovers(); }

  // Runs the installer with `switches` before /D= (which must come last) and waits for it.
  std::optional<DWORD> Install(const std::wstring& switches) {
    return RunToEnd(L"\"" TAVION_SETUP_W L"\" " + switches + L" /D=" + folder_.wstring());
  }

  // Runs the installed uninstaller and waits until its copy in %TEMP%, which does the work, ends;
  // false when it does not start or does not end in time.
  bool Uninstall(const std::wstring& switches) {
    const std::optional<DWORD> code =
        RunToEnd(L"\"" + (folder_ / L"Uninstall.exe").wstring() + L"\" " + switches);
    if (code != 0u) return false;
    return wine_test::PumpUntil([] { return !UninstallerCopyRunning(); }, 60000);
  }

  static std::optional<DWORD> RunToEnd(const std::wstring& commandLine) {
    wine_test::Process process;
    if (!process.Start(commandLine)) return std::nullopt;
    return process.WaitForExit(60000);
  }

  void ExpectShortcuts(const std::string& digits) const {
    for (const ShortcutKind& kind : ShortcutKinds()) {
      EXPECT_EQ(digits.find(kind.digit) != std::string::npos, fs::exists(kind.link))
          << kind.link.string();
    }
  }

  // The tests share the Wine prefix's menus, desktop and Run key with every other test.
  void RemoveLeftovers() {
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
    for (const ShortcutKind& kind : ShortcutKinds()) fs::remove(kind.link, ignored);
    fs::remove_all(ShellFolder(CSIDL_PROGRAMS) / L"Tavion", ignored);
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, L"Tavion");
    RegDeleteTreeW(HKEY_CURRENT_USER, kUninstallKey);
  }

  fs::path folder_;
};

TEST_F(InstallerTest, DefaultInstallRunsAndUninstallClosesTheProgramAndRemovesEverything) {
  ASSERT_EQ(0u, Install(L"/S"));

  for (const wchar_t* file : {L"Tavion.exe", L"Sidekit32.dll", L"Uninstall.exe",
                              L"PlugIns\\Corvex.dll", L"PlugIns\\Panora.exe", L"Lang\\Russian.lng",
                              L"Lang\\Ukrainian.lng", L"Resource\\on.wav"}) {
    EXPECT_TRUE(fs::exists(folder_ / file)) << fs::path(file).string();
  }
  const std::wstring program = (folder_ / L"Tavion.exe").wstring();
  EXPECT_EQ(L"\"" + program + L"\" /a", ReadValue(kRunKey, L"Tavion"));
  EXPECT_EQ(L"\"" + (folder_ / L"Uninstall.exe").wstring() + L"\"",
            ReadValue(kUninstallKey, L"UninstallString"));
  EXPECT_EQ(TAVION_VERSION_W, ReadValue(kUninstallKey, L"DisplayVersion"));
  ExpectShortcuts("13");
  EXPECT_TRUE(fs::exists(ShortcutKinds()[0].link.parent_path() / L"Uninstall Tavion.lnk"));

  wine_test::Process tavion;
  ASSERT_TRUE(tavion.Start(L"\"" + program + L"\" /a"));
  ASSERT_TRUE(wine_test::PumpUntil(
      [&] {
        return !wine_test::TopLevelWindows(L"TAVION_ROOTWINDOW", tavion.info.dwProcessId).empty();
      },
      20000));

  ASSERT_TRUE(Uninstall(L"/S"));
  EXPECT_TRUE(tavion.WaitForExit(1000).has_value()) << "the uninstaller left Tavion running";
  EXPECT_FALSE(fs::exists(folder_));
  ExpectShortcuts("");
  EXPECT_FALSE(fs::exists(ShortcutKinds()[0].link.parent_path()));
  EXPECT_EQ(std::nullopt, ReadValue(kRunKey, L"Tavion"));
  EXPECT_FALSE(KeyExists(kUninstallKey));
  // A silent uninstall keeps the settings unless told otherwise.
  EXPECT_TRUE(KeyExists(std::wstring(kSettingsKey) + L"\\Setup"));
}

TEST_F(InstallerTest, SwitchesChooseLanguageShortcutsAutorunAndSettingsRemoval) {
  ASSERT_EQ(0u, Install(L"/S /LANG=1049 /LINKS=24 /AUTORUN=0"));
  EXPECT_EQ(L"1049", ReadValue(L"Software\\Quillon\\Tavion\\Setup", L"Lang"));
  ExpectShortcuts("24");
  EXPECT_EQ(std::nullopt, ReadValue(kRunKey, L"Tavion"));
  // A plug-in the user added is not the uninstaller's to remove.
  ASSERT_TRUE(wine_test::WriteWholeFile((folder_ / L"PlugIns" / L"Mine.dll").wstring(), "MZ"));

  ASSERT_TRUE(Uninstall(L"/S /REMOVESETTINGS"));
  EXPECT_FALSE(KeyExists(kSettingsKey));
  ExpectShortcuts("");
  EXPECT_TRUE(fs::exists(folder_ / L"PlugIns" / L"Mine.dll"));
  EXPECT_FALSE(fs::exists(folder_ / L"Tavion.exe"));
  EXPECT_FALSE(fs::exists(folder_ / L"Uninstall.exe"));
}

}  // namespace
