// A program for the launch tests: it writes how it was started (its command line and working
// folder) to HKCU\Software\Quillon\LaunchProbe. With "--window" it then shows a captioned
// top-level window until it is closed or ended.
#include <windows.h>

#include <string>

namespace {

void Report(const wchar_t* name, const std::wstring& value) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Quillon\\LaunchProbe", 0, nullptr, 0,
                      KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return;
  }
  RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
}

LRESULT CALLBACK ProbeWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, wchar_t*, int) {
  wchar_t folder[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, folder);
  const std::wstring commandLine = GetCommandLineW();
  // The folder first: a test waits for the command line and then reads both.
  Report(L"Folder", folder);
  Report(L"CommandLine", commandLine);
  if (commandLine.find(L"--window") == std::wstring::npos) return 0;

  WNDCLASSW wc = {};
  wc.lpfnWndProc = ProbeWindowProc;
  wc.hInstance = instance;
  wc.lpszClassName = L"LaunchProbeWindow";
  RegisterClassW(&wc);
  const HWND window = CreateWindowW(L"LaunchProbeWindow", L"Launch probe", WS_OVERLAPPEDWINDOW, 100,
                                    100, 300, 200, nullptr, nullptr, instance, nullptr);
  if (window == nullptr) return 1;
  ShowWindow(window, SW_SHOW);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
