// A second process for the Sidekit32 tests. It loads the library by path, as Tavion does.
//   window CLASS [claim NAME]  claims NAME with IsExeLoaded (when given), then shows a window of
//                              class CLASS and runs until it is ended
//   instance NAME              exit code 1 when IsExeLoaded(NAME) reports a running instance
//   unload                     checks that the library stays loaded, and keeps delivering key
//                              events, after FreeLibrary with a keyboard hook in place, and that
//                              it goes once the hook is removed; exit code 0 when so
#include <windows.h>

#include <string>

#include "keys/hook_messages.h"
#include "sidekit.h"

namespace {

constexpr int kLibraryMissing = 2;

std::wstring LibraryPath() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder = path;
  return folder.substr(0, folder.find_last_of(L'\\')) + L"\\Sidekit32.dll";
}

template <typename Fn>
Fn Function(HMODULE library, const char* name) {
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

LRESULT CALLBACK PeerProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  // Commands are only there to be observed by the menu hook; the system's own handling of a
  // system command (a menu loop, a move) would get in the way.
  if (message == WM_COMMAND || message == WM_SYSCOMMAND) return 0;
  // Counts the key events the unload check's hook delivers.
  if (message == tavion::kMsgKeyEvent) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, GetWindowLongPtrW(hwnd, GWLP_USERDATA) + 1);
    return 0;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

HWND CreatePeerWindow(const wchar_t* className, bool visible) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = &PeerProcedure;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = className;
  RegisterClassExW(&wc);
  // A popup, as the test's windows: no waiting for a window manager when it goes.
  return CreateWindowExW(0, className, L"peer", WS_POPUP | (visible ? WS_VISIBLE : 0), 450, 100,
                         300, 200, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

void PumpFor(DWORD ms) {
  const ULONGLONG deadline = GetTickCount64() + ms;
  while (GetTickCount64() < deadline) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }
}

int RunWindow(const wchar_t* className, const wchar_t* claim) {
  HMODULE library = LoadLibraryW(LibraryPath().c_str());
  if (!library) return kLibraryMissing;
  if (claim) {
    auto isExeLoaded = Function<IsExeLoadedFn>(library, "IsExeLoaded");
    if (!isExeLoaded || isExeLoaded(claim)) return 3;
  }
  if (!CreatePeerWindow(className, /*visible=*/true)) return 4;
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  return 0;
}

int RunInstance(const wchar_t* name) {
  HMODULE library = LoadLibraryW(LibraryPath().c_str());
  auto isExeLoaded = library ? Function<IsExeLoadedFn>(library, "IsExeLoaded") : nullptr;
  if (!isExeLoaded) return kLibraryMissing;
  return isExeLoaded(name) ? 1 : 0;
}

int DeliveredKeys(HWND window) {
  return static_cast<int>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

bool InjectF24() {
  INPUT inputs[2] = {};
  for (INPUT& input : inputs) {
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = VK_F24;
  }
  inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
  return SendInput(2, inputs, sizeof(INPUT)) == 2;
}

int RunUnload() {
  const HWND window = CreatePeerWindow(L"SidekitPeerUnload", /*visible=*/false);
  HMODULE library = LoadLibraryW(LibraryPath().c_str());
  if (!library || !window) return kLibraryMissing;
  auto initHook = Function<InitHookExFn>(library, "InitHookEx");
  auto freeHook = Function<FreeHookExFn>(library, "FreeHookEx");
  unsigned char scratch[12] = {};
  if (!initHook || !freeHook ||
      !initHook(scratch, static_cast<int>(tavion::HookKind::kKeyboard), window,
                tavion::kMsgKeyEvent)) {
    return 10;
  }
  FreeLibrary(library);
  // The hook thread's reference keeps the library in place and the hook working.
  if (!GetModuleHandleW(L"Sidekit32.dll")) return 11;
  if (!InjectF24()) return 12;
  PumpFor(500);
  if (DeliveredKeys(window) != 2) return 13;

  // Loading it again finds the same module; removing the hook then lets the thread give its
  // reference back, so the library goes with ours.
  if (LoadLibraryW(LibraryPath().c_str()) != library) return 14;
  if (!freeHook(static_cast<int>(tavion::HookKind::kKeyboard))) return 15;
  FreeLibrary(library);
  for (int i = 0; i < 200 && GetModuleHandleW(L"Sidekit32.dll"); ++i) Sleep(10);
  return GetModuleHandleW(L"Sidekit32.dll") ? 16 : 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring mode = argc > 1 ? argv[1] : L"";
  if (mode == L"window" && argc == 3) return RunWindow(argv[2], nullptr);
  if (mode == L"window" && argc == 5 && std::wstring(argv[3]) == L"claim") {
    return RunWindow(argv[2], argv[4]);
  }
  if (mode == L"instance" && argc == 3) return RunInstance(argv[2]);
  if (mode == L"unload" && argc == 2) return RunUnload();
  return 100;
}
