#pragma once
// The machine's key map on the system: the store that scancode_map.h works on, and its registry
// file.
#include <windows.h>

#include <memory>
#include <string>

#include "settings/registry.h"

namespace tavion {

// HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Control\Keyboard Layout as a store whose root ("")
// is that key, in the registry's 64-bit view (as the shell keys). Reading needs no rights; writing
// needs an administrator's (writes then fail).
std::unique_ptr<RegistryStore> OpenKeyboardLayoutStore();

// Writes that key with its values (not its sub-keys) into the registry file `fileName`
// ("TavionLay.reg"). False when the file could not be written or the key not opened (the
// latter already told with "Can't open registry key").
bool ExportKeyboardLayout(const std::wstring& fileName);

}  // namespace tavion
