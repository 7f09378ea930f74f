// A second process for the Sidekit32 tests: "sidekit_test_peer TITLE" loads the library beside it,
// as Tavion does, shows a static control titled TITLE and runs until it is ended. The control
// leaves commands alone, so nothing of the system's handling gets in the way of the menu hook.
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
  wchar_t library[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, library, MAX_PATH);
  wcscpy(wcsrchr(library, L'\\') + 1, L"Sidekit32.dll");
  if (argc != 2 || length == 0 || !LoadLibraryW(library)) return 100;
  if (!CreateWindowExW(0, L"Static", argv[1], WS_POPUP | WS_VISIBLE, 450, 100, 300, 200, nullptr,
                       nullptr, nullptr, nullptr)) {
    return 4;
  }
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  return 0;
}
