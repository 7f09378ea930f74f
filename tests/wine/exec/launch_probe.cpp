// A program for the launch tests: it writes how it was started (its command line and working
// folder) to HKCU\Software\Quillon\LaunchProbe.
#include <windows.h>

#include <string>

namespace {

void Report(const wchar_t* name, const std::wstring& value) {
  RegSetKeyValueW(HKEY_CURRENT_USER, L"Software\\Quillon\\LaunchProbe", name, REG_SZ, value.c_str(),
                  static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, wchar_t*, int) {
  wchar_t folder[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, folder);
  // The folder first: a test waits for the command line and then reads both.
  Report(L"Folder", folder);
  Report(L"CommandLine", GetCommandLineW());
  return 0;
}
