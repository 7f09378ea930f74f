#pragma once
// Sidekit32.dll, loaded once at start-up by full path from the program folder and resolved by name.

#include <windows.h>

#include "base/handles_win.h"
#include "sidekit.h"

namespace tavion {

class SidekitLibrary {
 public:
  SidekitLibrary() = default;
  SidekitLibrary(const SidekitLibrary&) = delete;
  SidekitLibrary& operator=(const SidekitLibrary&) = delete;

  // Loads `folder`\Sidekit32.dll and resolves its functions. Returns false when the library or
  // one of the hook entry points is missing; then no hook function is available.
  bool Load(const wchar_t* folder);
  bool Loaded() const { return static_cast<bool>(module_); }

  // Both entry points are absent (null) when loading failed.
  InitHookExFn InitHookEx = nullptr;
  FreeHookExFn FreeHookEx = nullptr;
  // Optional: hooks whose events are handled on the library's thread.
  InitHookCallFn InitHookCall = nullptr;
  ForceForegroundWindowFn ForceForegroundWindow = nullptr;
  GetFocusedWindowFn GetFocusedWindow = nullptr;
  IsExeLoadedFn IsExeLoaded = nullptr;
  GetAnimationFn GetAnimation = nullptr;
  SetAnimationFn SetAnimation = nullptr;
  GetBuildTimeFn GetBuildTime = nullptr;
  GetFileVerExFn GetFileVerEx = nullptr;

 private:
  UniqueModule module_;
};

// Shows the system-modal error box of a missing Sidekit32.dll.
void ShowSidekitMissingError();

}  // namespace tavion
