// Single-instance test and the system's window animation.
#include <set>
#include <string>

#include "sidekit.h"

namespace {

// The names this process holds; their mutex handles stay open until the process ends.
SRWLOCK g_claimsLock = SRWLOCK_INIT;
std::set<std::wstring> g_claims;

}  // namespace

SIDEKIT_API BOOL WINAPI IsExeLoaded(const wchar_t* name) {
  if (!name || !*name) return FALSE;
  std::wstring objectName = name;
  // A backslash would name a namespace; the session namespace keeps it per logon session.
  for (wchar_t& c : objectName) {
    if (c == L'\\') c = L'_';
  }
  objectName = L"Local\\Sidekit32.Instance." + objectName;

  AcquireSRWLockExclusive(&g_claimsLock);
  BOOL running = FALSE;
  if (!g_claims.count(objectName)) {
    HANDLE mutex =
        CreateMutexW(/*lpMutexAttributes=*/nullptr, /*bInitialOwner=*/FALSE, objectName.c_str());
    running = mutex && GetLastError() == ERROR_ALREADY_EXISTS;
    // Kept open on purpose, also when another process made the name: the claim lasts while any
    // process that asked runs, so a restarted program that starts before the old one has gone
    // still holds it afterwards.
    if (mutex) g_claims.insert(objectName);
    // Without a mutex there is no way to tell; the program may as well start.
  }
  ReleaseSRWLockExclusive(&g_claimsLock);
  return running;
}

SIDEKIT_API int WINAPI GetAnimation() {
  ANIMATIONINFO info{};
  info.cbSize = sizeof info;
  if (!SystemParametersInfoW(SPI_GETANIMATION, sizeof info, &info, 0)) return 0;
  return info.iMinAnimate != 0 ? 1 : 0;
}

SIDEKIT_API BOOL WINAPI SetAnimation(int on) {
  ANIMATIONINFO info{};
  info.cbSize = sizeof info;
  info.iMinAnimate = on != 0 ? 1 : 0;
  // fWinIni 0: the user's profile keeps its own setting.
  return SystemParametersInfoW(SPI_SETANIMATION, sizeof info, &info, /*fWinIni=*/0);
}
