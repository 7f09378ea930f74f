// A second process for the Sidekit32 tests: "sidekit_test_peer CLASS" loads the library beside it,
// as Tavion does, shows a window of class CLASS and runs until it is ended.
#include <windows.h>

namespace {

LRESULT CALLBACK PeerProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  // Commands are there to be seen by the menu hook; the system's own handling of a system
  // command (a menu loop, a move) would get in the way.
  if (message == WM_COMMAND || message == WM_SYSCOMMAND) return 0;
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  wchar_t library[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameW(nullptr, library, MAX_PATH);
  wcscpy(wcsrchr(library, L'\\') + 1, L"Sidekit32.dll");
  if (argc != 2 || length == 0 || !LoadLibraryW(library)) return 100;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = &PeerProcedure;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = argv[1];
  RegisterClassExW(&wc);
  if (!CreateWindowExW(0, argv[1], L"peer", WS_POPUP | WS_VISIBLE, 450, 100, 300, 200, nullptr,
                       nullptr, GetModuleHandleW(nullptr), nullptr)) {
    return 4;
  }
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  return 0;
}
