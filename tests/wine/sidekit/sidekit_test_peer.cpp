// A second process for the Sidekit32 tests: "sidekit_test_peer TITLE" loads the library beside it,
// as Tavion does, shows a static control titled TITLE and runs until it is ended. The control
// leaves commands alone, so nothing of the system's handling gets in the way of the menu hook.
#include <windows.h>

int wmain(int argc, wchar_t** argv) {
  // The program's own folder is the first place the system looks.
  if (argc != 2 || !LoadLibraryW(L"Sidekit32.dll")) return 100;
  if (!CreateWindowExW(0, L"Static", argv[1], WS_POPUP | WS_VISIBLE, 450, 100, 300, 200, nullptr,
                       nullptr, nullptr, nullptr)) {
    return 4;
  }
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  return 0;
}
