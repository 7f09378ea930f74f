// Entry point of Sidekit32.dll. Nothing here may block: the loader lock is held.
#include <windows.h>

#include "global_hooks.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE /*instance*/, DWORD reason, void* reserved) {
  // On an explicit FreeLibrary (reserved null) the global hooks must go with the code they
  // call; at process exit the system removes them itself. The low-level hooks need nothing: their
  // thread holds a reference, so the library cannot be unloaded while they are in place.
  if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
    tavion::sidekit::RemoveGlobalHooksOnUnload();
  }
  return TRUE;
}
