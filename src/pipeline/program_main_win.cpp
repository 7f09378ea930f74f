// Tavion.exe: the resident program's entry.

#include <windows.h>

#include <string>

#include "actions/masks_win.h"
#include "keys/key_input_win.h"
#include "pipeline/sidekit_library_win.h"
#include "ui/main_window_win.h"

namespace {

// The folder of the running executable, without a trailing backslash.
std::wstring ProgramFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return L".";
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? L"." : path.substr(0, slash);
}

int RunMessageLoop() {
  MSG msg;
  BOOL got;
  while ((got = GetMessageW(&msg, nullptr, 0, 0)) != 0) {
    if (got == -1) return 1;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int showCommand) {
  // Libraries are never looked up in the current directory.
  SetDllDirectoryW(L"");

  tavion::InstallSystemKeyNames();
  tavion::InstallWin32UpperCase();

  const std::wstring folder = ProgramFolder();
  SetCurrentDirectoryW(folder.c_str());

  // Declared before the window, so it outlives it: the window removes the hooks first.
  tavion::SidekitLibrary sidekit;
  if (!sidekit.Load(folder.c_str())) tavion::ShowSidekitMissingError();

  tavion::MainWindow window(sidekit);
  if (!window.Create(instance, showCommand)) return 1;
  return RunMessageLoop();
}
