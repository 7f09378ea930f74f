#pragma once
// Sidekit32.dll's exports for the tests, resolved by their plain names as Tavion resolves them.
// The tests do not link the import library: in the i686 build its names are not the decorated
// ones a direct call needs. A missing export leaves its pointer null (see ExportsTest).

#include <windows.h>

#include "sidekit.h"

namespace sidekit_test {

// The library beside the test program, loaded once by full path and kept.
HMODULE SidekitModule();

template <typename Fn>
Fn SidekitExport(const char* name) {
  // GetProcAddress returns FARPROC; the cast to the real signature is what it is for.
  return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(SidekitModule(), name)));
}

inline const InitHookExFn InitHookEx = SidekitExport<InitHookExFn>("InitHookEx");
inline const FreeHookExFn FreeHookEx = SidekitExport<FreeHookExFn>("FreeHookEx");
inline const ForceForegroundWindowFn ForceForegroundWindow =
    SidekitExport<ForceForegroundWindowFn>("ForceForegroundWindow");
inline const GetFocusedWindowFn GetFocusedWindow =
    SidekitExport<GetFocusedWindowFn>("GetFocusedWindow");
inline const Reg1KeyExistsFn Reg1KeyExists = SidekitExport<Reg1KeyExistsFn>("Reg1KeyExists");
inline const Reg1ValueExistsFn Reg1ValueExists =
    SidekitExport<Reg1ValueExistsFn>("Reg1ValueExists");
inline const Reg1ReadIntFn Reg1ReadInt = SidekitExport<Reg1ReadIntFn>("Reg1ReadInt");
inline const Reg1ReadStrFn Reg1ReadStr = SidekitExport<Reg1ReadStrFn>("Reg1ReadStr");
inline const Reg1WriteStrFn Reg1WriteStr = SidekitExport<Reg1WriteStrFn>("Reg1WriteStr");
inline const Reg1DeleteValueFn Reg1DeleteValue =
    SidekitExport<Reg1DeleteValueFn>("Reg1DeleteValue");
inline const Reg1DeleteKeyFn Reg1DeleteKey = SidekitExport<Reg1DeleteKeyFn>("Reg1DeleteKey");
inline const IsExeLoadedFn IsExeLoaded = SidekitExport<IsExeLoadedFn>("IsExeLoaded");
inline const GetAnimationFn GetAnimation = SidekitExport<GetAnimationFn>("GetAnimation");
inline const SetAnimationFn SetAnimation = SidekitExport<SetAnimationFn>("SetAnimation");
inline const GetBuildTimeFn GetBuildTime = SidekitExport<GetBuildTimeFn>("GetBuildTime");
inline const GetFileVerExFn GetFileVerEx = SidekitExport<GetFileVerExFn>("GetFileVerEx");
inline const GetFileVerFn GetFileVer = SidekitExport<GetFileVerFn>("GetFileVer");
inline const CutVerFn CutVer = SidekitExport<CutVerFn>("CutVer");
inline const CheckWriteFn CheckWrite = SidekitExport<CheckWriteFn>("CheckWrite");

// InitHookEx with a scratch area of its own.
inline bool InstallHook(int kind, HWND receiver, UINT message) {
  unsigned char scratch[12] = {};
  return InitHookEx(scratch, kind, receiver, message);
}

}  // namespace sidekit_test
