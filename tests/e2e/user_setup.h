#pragma once
// What the end-to-end tests prepare and do as the user: settings and a profile in the registry
// before Tavion.exe starts, and keys pressed with SendInput.
#include <windows.h>

#include <initializer_list>
#include <string>

namespace tavion {
class TActionsList;
}

namespace tavion::e2e {

// Presses `key` with `modifiers` held (virtual-key codes), in one injection.
void PressChord(std::initializer_list<WORD> modifiers, WORD key);

// Writes a value under HKCU\Software\Quillon\Tavion (`sub` a sub-key path, "" for the root).
void WriteSetting(const wchar_t* sub, const wchar_t* name, DWORD value);

// Saves `list` as the current profile "Default".
void SaveCurrentProfile(TActionsList& list);

}  // namespace tavion::e2e
