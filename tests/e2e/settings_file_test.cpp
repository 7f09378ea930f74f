// All options saved into a registry file and loaded back by a running Tavion.exe: the file a
// backup run ("/sr") writes, bad files refused with nothing changed, a good one loaded with a
// restart, and the same file imported by the system's registry editor.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "settings/reg_file.h"
#include "settings/registry_win.h"
#include "tavion_process.h"

namespace tavion::e2e {
namespace {

constexpr wchar_t kSettingsKey[] = L"Software\\Quillon\\Tavion";

// The settings as our writer puts them into a file: what a file must equal after loading it.
std::string SettingsText() {
  const Win32Registry user(HKEY_CURRENT_USER);
  return WriteRegText(user, "HKEY_CURRENT_USER", "Software\\Quillon\\Tavion", true, true)
      .value_or("<no settings>");
}

std::string FileBytes(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void PutFile(const std::wstring& path, const std::string& bytes) {
  std::ofstream(path.c_str(), std::ios::binary | std::ios::trunc) << bytes;
}

BOOL CALLBACK MatchCaption(HWND window, LPARAM found) {
  auto* wanted = reinterpret_cast<std::pair<const wchar_t*, HWND>*>(found);
  if (wine_test::WindowText(window) != wanted->first) return TRUE;
  wanted->second = window;
  return FALSE;
}

// The descendant of `parent` captioned `caption`.
HWND ControlCaptioned(HWND parent, const wchar_t* caption) {
  std::pair<const wchar_t*, HWND> wanted{caption, nullptr};
  EnumChildWindows(parent, &MatchCaption, reinterpret_cast<LPARAM>(&wanted));
  return wanted.second;
}

// Types `path` into the file dialog of process `pid` and confirms it.
bool ChooseInFileDialog(DWORD pid, const std::wstring& path) {
  HWND dialog = wine_test::WaitForWindow(L"#32770", pid);
  if (!dialog) return false;
  HWND name = GetDlgItem(dialog, 0x47C);  // the file-name combo box (cmb13)
  HWND edit = name ? FindWindowExW(name, nullptr, L"Edit", nullptr) : nullptr;
  if (!edit) edit = GetDlgItem(dialog, 0x480);  // edt1 of dialogs without the combo box
  if (!edit) return false;
  SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
  PressButton(dialog, IDOK);
  return WaitUntil([&] { return !IsWindow(dialog); });
}

// "Load all options from file" with `path`, past the question.
bool StartLoad(const TavionProcess& tavion, HWND main, const std::wstring& path) {
  HWND load = ControlCaptioned(main, L"Load all options from file");
  if (!load) return false;
  PostMessageW(load, BM_CLICK, 0, 0);
  HWND question = wine_test::WaitForWindow(L"#32770", tavion.Id(), L"Tavion");
  if (!question) return false;
  PressButton(question, IDYES);
  WaitUntil([&] { return !IsWindow(question); });
  return ChooseInFileDialog(tavion.Id(), path);
}

TEST(SettingsFile, SavedByABackupRunLoadedBackAfterChangesRefusingBadFiles) {
  const std::wstring folder = wine_test::ProgramFolder() + L"\\settings-files";
  CreateDirectoryW(folder.c_str(), nullptr);
  const std::wstring saved = folder + L"\\" + wine_test::UniqueName(L"saved") + L".reg";
  {
    // A first run leaves a whole settings tree with the default actions.
    TavionProcess first;
    HWND main = StartShown(first);
    ASSERT_NE(nullptr, main);
    ExitConfirmed(first, main);
  }
  const std::string original = SettingsText();
  {
    TavionProcess backup;
    ASSERT_TRUE(backup.Start(L"/sr"));
    ASSERT_TRUE(ChooseInFileDialog(backup.Id(), saved)) << "the backup run's save dialog";
    EXPECT_EQ(std::optional<DWORD>(0), backup.WaitForExit()) << "the backup run ends by itself";
  }
  ASSERT_EQ(original, FileBytes(saved)) << "the file holds the settings as they are";

  // An option and an action change.
  WriteSetting(L"", L"SoundExec", 1);
  const std::wstring profile = std::wstring(kSettingsKey) + L"\\Keys\\Default";
  wchar_t first[256] = {};
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, profile.c_str(), 0, KEY_READ, &key));
  const LSTATUS found = RegEnumKeyW(key, 0, first, 256);
  RegCloseKey(key);
  ASSERT_EQ(ERROR_SUCCESS, found) << "the default profile has actions";
  WriteSetting((L"Keys\\Default\\" + std::wstring(first)).c_str(), L"Name", L"Changed");
  const std::string changed = SettingsText();
  ASSERT_NE(original, changed);

  TavionProcess tavion;
  HWND main = StartShown(tavion);
  ASSERT_NE(nullptr, main);
  SaveScreenshot("main-options-settings-files-" + std::to_string(ScreenDpi()));
  const std::string head = "Windows Registry Editor Version 5.00\r\n\r\n";
  const struct {
    const char* what;
    std::string bytes;
    const wchar_t* reason;
  } bad[] = {
      {"a key outside the settings",
       head + "[HKEY_CURRENT_USER\\Software\\Quillon\\Tavion]\r\n\r\n"
              "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run]\r\n"
              "\"Evil\"=\"evil.exe\"\r\n",
       L"which is not the key of Tavion's settings"},
      {"a truncated file", original.substr(0, original.size() / 4 * 2 + 1), L"cut short"},
      {"a text file", "Shopping list:\r\nmilk\r\n", L"not a registry file"},
  };
  for (const auto& file : bad) {
    SCOPED_TRACE(file.what);
    const std::wstring path = folder + L"\\" + wine_test::UniqueName(L"bad") + L".reg";
    PutFile(path, file.bytes);
    ASSERT_TRUE(StartLoad(tavion, main, path));
    HWND box = wine_test::WaitForWindow(L"#32770", tavion.Id(), L"Tavion");
    ASSERT_NE(nullptr, box) << "the refusal";
    const std::wstring text = StaticText(box);
    EXPECT_NE(std::wstring::npos, text.find(file.reason)) << std::string(text.begin(), text.end());
    EXPECT_NE(std::wstring::npos, text.find(L"Nothing was changed"));
    if (file.reason == bad[0].reason)
      SaveScreenshot("settings-file-refused-" + std::to_string(ScreenDpi()));
    PressButton(box, IDOK);
    WaitUntil([&] { return !IsWindow(box); });
    EXPECT_EQ(changed, SettingsText()) << "a refused file changes nothing";
    EXPECT_TRUE(IsWindow(main));
  }

  ASSERT_TRUE(StartLoad(tavion, main, saved));
  EXPECT_EQ(std::optional<DWORD>(0), tavion.WaitForExit()) << "the old instance ends";
  std::vector<HWND> restarted;
  ASSERT_TRUE(WaitUntil(
      [&] {
        restarted = wine_test::TopLevelWindows(L"TAVION_ROOTWINDOW");
        return !restarted.empty();
      },
      15000))
      << "the program starts again";
  DWORD pid = 0;
  GetWindowThreadProcessId(restarted[0], &pid);
  const HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
  EXPECT_EQ(original, SettingsText()) << "the settings are the file's again";
  EXPECT_EQ(changed, FileBytes(folder + L"\\TavionBackUp-before-load.reg"))
      << "the backup holds the settings as they were before the load";
  // Forced close: no question; then ended by its id whatever happens.
  PostMessageW(restarted[0], 0x405 /*WM_TV_CLOSE*/, 0, 0);
  if (process && WaitForSingleObject(process, 15000) != WAIT_OBJECT_0) TerminateProcess(process, 1);
  if (process) CloseHandle(process);

  // The system's registry editor reads our file into the same tree.
  RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
  wine_test::Process regedit;
  ASSERT_TRUE(regedit.Start(L"regedit.exe /s \"" + saved + L"\""));
  regedit.WaitForExit(30000);
  EXPECT_EQ(original, SettingsText()) << "imported by regedit";
}

}  // namespace
}  // namespace tavion::e2e
