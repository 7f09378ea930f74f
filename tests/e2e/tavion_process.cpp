#include "tavion_process.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <utility>
#include <vector>

namespace tavion::e2e {

std::wstring StaticText(HWND dialog) {
  for (HWND child = nullptr; (child = FindWindowExW(dialog, child, L"Static", nullptr));)
    if (std::wstring text = wine_test::WindowText(child); !text.empty()) return text;
  return {};
}

void PressButton(HWND dialog, int id) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void PressChord(std::initializer_list<WORD> modifiers, WORD key) {
  std::vector<INPUT> inputs;
  for (WORD m : modifiers) inputs.push_back(wine_test::KeyInput(m, false));
  inputs.push_back(wine_test::KeyInput(key, false));
  inputs.push_back(wine_test::KeyInput(key, true));
  for (auto m = std::rbegin(modifiers); m != std::rend(modifiers); ++m)
    inputs.push_back(wine_test::KeyInput(*m, true));
  wine_test::Inject(std::move(inputs));
}

void WriteSetting(const wchar_t* sub, const wchar_t* name, DWORD value) {
  const std::wstring key =
      std::wstring(L"Software\\Quillon\\Tavion") + (sub[0] ? L"\\" : L"") + sub;
  ASSERT_EQ(ERROR_SUCCESS,
            RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), name, REG_DWORD, &value, sizeof value));
}

bool SaveScreenshot(const std::string& name) {
  const char* folder = std::getenv("TAVION_SCREENSHOTS");
  if (!folder || !*folder) return false;
  const std::string target = std::string(folder) + "/" + name + ".png";
  // The unix path as seen from Wine's Z: drive, to check for the finished file.
  std::wstring winTarget = L"Z:";
  for (char c : target) winTarget += c == '/' ? L'\\' : static_cast<wchar_t>(c);
  DeleteFileW(winTarget.c_str());

  // Written under another name first and renamed, so the file appears only when complete.
  std::string command = "/bin/sh -c \"mkdir -p '" + std::string(folder) +
                        "' && import -window root '" + target + ".part.png' && mv '" + target +
                        ".part.png' '" + target + "'\"";
  std::wstring wideCommand(command.begin(), command.end());
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  if (!CreateProcessW(nullptr, wideCommand.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &info)) {
    return false;
  }
  // A Unix process started by Wine gives no waitable handle; the renamed file is the signal.
  if (info.hThread) CloseHandle(info.hThread);
  if (info.hProcess) CloseHandle(info.hProcess);
  return WaitUntil([&] { return GetFileAttributesW(winTarget.c_str()) != INVALID_FILE_ATTRIBUTES; },
                   20000);
}

HWND StartShown(TavionProcess& tavion, const std::wstring& arguments) {
  if (!tavion.Start(arguments)) return nullptr;
  HWND main = tavion.WaitForMainWindow();
  if (main && !WaitUntil([&] { return IsWindowVisible(main) != FALSE; })) return nullptr;
  return main;
}

void ExitConfirmed(TavionProcess& tavion, HWND main) {
  PostMessageW(main, WM_CLOSE, 0, 0);
  HWND box = wine_test::WaitForWindow(L"#32770", tavion.Id(), L"Tavion");
  ASSERT_NE(nullptr, box) << "the exit question";
  PressButton(box, IDYES);
  EXPECT_EQ(std::optional<DWORD>(0), tavion.WaitForExit());
}

bool TavionProcess::Start(const std::wstring& arguments) {
  const std::wstring path = L"\"" + wine_test::ProgramFolder() + L"\\Tavion.exe\"";
  return Process::Start(arguments.empty() ? path : path + L" " + arguments);
}

HWND TavionProcess::WaitForMainWindow() {
  std::vector<HWND> windows;
  WaitUntil(
      [&] { return !(windows = wine_test::TopLevelWindows(L"TAVION_ROOTWINDOW", Id())).empty(); },
      15000);
  return windows.empty() ? nullptr : windows[0];
}

}  // namespace tavion::e2e
