#include "pipeline/sidekit_library_win.h"

#include <string>
#include <utility>

#include "base/window_requests_win.h"
#include "lang/lang_win.h"

namespace tavion {

namespace {

template <typename Fn>
void Resolve(HMODULE module, const char* name, Fn& fn) {
  fn = ResolveFunction<Fn>(module, name);
}

}  // namespace

bool SidekitLibrary::Load(const wchar_t* folder) {
  if (module_) return true;
  std::wstring path = folder;
  path += L"\\Sidekit32.dll";
  // A full path and the altered search path: the library's own dependencies are looked up beside
  // it, never in the current directory.
  UniqueModule library(LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
  if (!library) return false;
  const HMODULE module = library.get();
  Resolve(module, "InitHookEx", InitHookEx);
  Resolve(module, "FreeHookEx", FreeHookEx);
  if (!InitHookEx || !FreeHookEx) {
    InitHookEx = nullptr;
    FreeHookEx = nullptr;
    return false;
  }
  Resolve(module, "InitHookCall", InitHookCall);
  Resolve(module, "ForceForegroundWindow", ForceForegroundWindow);
  Resolve(module, "GetFocusedWindow", GetFocusedWindow);
  Resolve(module, "IsExeLoaded", IsExeLoaded);
  Resolve(module, "GetAnimation", GetAnimation);
  Resolve(module, "SetAnimation", SetAnimation);
  Resolve(module, "GetBuildTime", GetBuildTime);
  Resolve(module, "GetFileVerEx", GetFileVerEx);
  module_ = std::move(library);
  return true;
}

void ShowSidekitMissingError() {
  MessageBoxW(/*hWnd=*/nullptr,
              GetLangStrW("ErrorSidekit", "Fatal error: can't load Sidekit32.dll").c_str(),
              L"Tavion - TKeyEdit ini error", MB_OK | MB_ICONERROR | MB_SYSTEMMODAL);
}

}  // namespace tavion
