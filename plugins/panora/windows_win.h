#pragma once
// Panora's hands on other programs' windows and its registry key.
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "desktops.h"

namespace panora {

HWND ToHandle(uint64_t handle);
// The window and its process; nullopt for a null or dead handle.
std::optional<WindowRef> RefOf(HWND window);

// The windows of the current desktop, top of the z-order first.
std::vector<WindowRef> DesktopWindows(const Exclusions& exclusions);
// The active window's top-level owner, the window a desktop remembers as active.
std::optional<WindowRef> ForegroundRoot();

// The process of Tavion: the one of `hostWindow` when that is a live window, else the one of
// Tavion's main window when there is one; 0 when neither.
uint32_t HostProcess(uint64_t hostWindow);

// Hides or shows (in its own state, without activating) every window that still is the one
// remembered; a window closed meanwhile is passed over. Hung programs do not hold us up.
void HideWindows(const std::vector<WindowRef>& windows);
void ShowWindows(const std::vector<WindowRef>& windows);
void Activate(const WindowRef& window);

// HKCU\Software\Quillon\Tavion\Panora: the list of hidden windows ("Hidden") and the notice
// option ("ShowNotice"). A value of the wrong type or size reads as missing.
std::vector<WindowRef> ReadHiddenList();
bool WriteHiddenList(const std::vector<WindowRef>& windows);
bool ReadShowNotice();
bool WriteShowNotice(bool show);

std::wstring Widen(const std::string& text);
std::string Narrow(const std::wstring& text);

}  // namespace panora
