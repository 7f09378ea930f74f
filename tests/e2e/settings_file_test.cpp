// All options saved into a registry file by a backup run ("/sr") and loaded back by a running
// Tavion.exe after changes; bad files refused with nothing changed; the same file imported by the
// system's registry editor.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "base/utf_win.h"
#include "settings/reg_file.h"
#include "settings/registry_win.h"
#include "tavion_process.h"

namespace tavion::e2e {
namespace {

// The settings as our writer puts them into a file: what a loaded file must equal.
std::string SettingsText() {
  const Win32Registry user(HKEY_CURRENT_USER);
  return WriteRegText(user, "HKEY_CURRENT_USER", "Software\\Quillon\\Tavion", true, true)
      .value_or("<none>");
}

std::string FileBytes(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// Types `path` into the file dialog of process `pid` and confirms it.
bool ChooseFile(DWORD pid, const std::wstring& path) {
  HWND dialog = wine_test::WaitForWindow(L"#32770", pid);
  // The file-name field: an edit in the combo box of a ComboBoxEx (cmb13).
  HWND combo =
      dialog ? FindWindowExW(GetDlgItem(dialog, 0x47C), nullptr, L"ComboBox", nullptr) : nullptr;
  HWND edit = combo ? FindWindowExW(combo, nullptr, L"Edit", nullptr) : nullptr;
  SendMessageW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
  PressButton(dialog, IDOK);
  return edit && WaitUntil([&] { return !IsWindow(dialog); });
}

BOOL CALLBACK FindLoadButton(HWND window, LPARAM found) {
  if (wine_test::WindowText(window) != L"Load all options from file") return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

// "Load all options from file" with `path`, past the question.
bool StartLoad(const TavionProcess& tavion, HWND main, const std::wstring& path) {
  HWND load = nullptr;
  EnumChildWindows(main, &FindLoadButton, reinterpret_cast<LPARAM>(&load));
  PostMessageW(load, BM_CLICK, 0, 0);
  HWND question = wine_test::WaitForWindow(L"#32770", tavion.Id(), L"Tavion");
  PressButton(question, IDYES);
  return question && WaitUntil([&] { return !IsWindow(question); }) &&
         ChooseFile(tavion.Id(), path);
}

TEST(SettingsFile, SavedByABackupRunLoadedBackAfterChangesBadFilesRefused) {
  const std::wstring folder = wine_test::ProgramFolder() + L"\\" + wine_test::UniqueName(L"files");
  const std::wstring saved = folder + L"\\saved.reg";
  CreateDirectoryW(folder.c_str(), nullptr);
  TavionProcess first;  // leaves a whole settings tree with the default actions
  ASSERT_NO_FATAL_FAILURE(ExitConfirmed(first, StartShown(first)));
  const std::string original = SettingsText();
  TavionProcess backup;
  ASSERT_TRUE(backup.Start(L"/sr") && ChooseFile(backup.Id(), saved)) << "the save dialog";
  EXPECT_EQ(std::optional<DWORD>(0), backup.WaitForExit());
  ASSERT_EQ(original, FileBytes(saved));

  // An option and an action change.
  WriteSetting(L"", L"SoundExec", 1);
  WriteSetting(L"Keys\\Default\\900", L"Name", L"Added");
  TavionProcess tavion;
  HWND main = StartShown(tavion);
  const std::string changed = SettingsText();
  const std::string head = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\";
  const std::pair<std::string, const wchar_t*> bad[] = {
      {head + "Software\\Quillon\\Tavion]\r\n\r\n[HKEY_CURRENT_USER\\Software\\Run]\r\n",
       L"which is not the key of Tavion's settings"},
      {original.substr(0, original.size() / 4 * 2 + 1), L"cut short"},
      {"Shopping list:\r\nmilk\r\n", L"not a registry file"}};
  for (const auto& [bytes, reason] : bad) {
    const std::wstring path = folder + L"\\" + wine_test::UniqueName(L"bad") + L".reg";
    std::ofstream(path.c_str(), std::ios::binary) << bytes;
    ASSERT_TRUE(StartLoad(tavion, main, path));
    HWND box = wine_test::WaitForWindow(L"#32770", tavion.Id(), L"Tavion");
    const std::wstring text = StaticText(box);
    EXPECT_TRUE(text.find(reason) < text.find(L"\rNothing was changed.")) << WideToUtf8(text);
    if (bytes == bad[0].first)
      SaveScreenshot("settings-files-refused-" + std::to_string(ScreenDpi()));
    PressButton(box, IDOK);
    EXPECT_EQ(changed, SettingsText()) << "a refused file changes nothing";
  }

  SaveScreenshot("settings-files-buttons-" + std::to_string(ScreenDpi()));
  ASSERT_TRUE(StartLoad(tavion, main, saved));
  EXPECT_EQ(std::optional<DWORD>(0), tavion.WaitForExit()) << "the old instance closes";
  HWND again = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (again = FindWindowW(L"TAVION_ROOTWINDOW", nullptr)); }));
  wine_test::Process restarted;  // ended by its id as the test ends
  GetWindowThreadProcessId(again, &restarted.info.dwProcessId);
  restarted.info.hProcess = OpenProcess(PROCESS_ALL_ACCESS, FALSE, restarted.info.dwProcessId);
  EXPECT_EQ(original, SettingsText()) << "the settings are the file's, not written back";
  EXPECT_NE(std::string::npos, FileBytes(folder + L"\\TavionBackUp-before-load.reg")
                                   .find(std::string("A\0d\0d\0e\0d\0", 10)))
      << "the backup beside the file holds the action added before the load";

  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Quillon\\Tavion");
  wine_test::Process regedit;
  ASSERT_TRUE(regedit.Start(L"regedit.exe /s \"" + saved + L"\""));
  regedit.WaitForExit(30000);
  EXPECT_EQ(original, SettingsText()) << "the system's registry editor reads our file alike";
}

}  // namespace
}  // namespace tavion::e2e
