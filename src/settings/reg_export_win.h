#pragma once
// Saving a registry key into a registry-editor file (the settings backup, the key-map file).

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

#include "settings/registry_win.h"

namespace tavion {

// Shows a message box; MessageBoxW's arguments and result.
using MessageBoxFunction =
    std::function<int(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type)>;

// Writes the registry file of `keyPath` below `root` (HKEY_CURRENT_USER or HKEY_LOCAL_MACHINE;
// HKEY_CLASSES_ROOT, HKEY_USERS and HKEY_CURRENT_CONFIG also have names), read in `view`, to
// `fileName`, replacing the file, in the form of WriteRegText. When the key cannot be opened, the
// file stays created but empty and `showMessage` is given "Can't open registry key"
// ("ErrorRegKey"), captioned "Reg save error" ("ErrorRegSave"), with the error icon. Returns
// whether the file holds the key; false also when the file cannot be created or written (no message
// then: the caller has checked that the folder is writable).
bool ExportRegKey(const std::wstring& fileName, HKEY root, std::string_view keyPath, bool recurse,
                  bool deleteFirst, const MessageBoxFunction& showMessage = MessageBoxW,
                  RegistryView view = RegistryView::kProcess);

}  // namespace tavion
