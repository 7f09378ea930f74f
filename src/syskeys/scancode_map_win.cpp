#include "syskeys/scancode_map_win.h"

#include "settings/reg_export_win.h"
#include "settings/registry_win.h"
#include "syskeys/scancode_map.h"

namespace tavion {

std::unique_ptr<RegistryStore> OpenKeyboardLayoutStore() {
  return std::make_unique<Win32Registry>(HKEY_LOCAL_MACHINE, kKeyboardLayoutPath,
                                         RegistryView::k64Bit);
}

bool ExportKeyboardLayout(const std::wstring& fileName) {
  return ExportRegKey(fileName, HKEY_LOCAL_MACHINE, kKeyboardLayoutPath, /*recurse=*/false,
                      /*deleteFirst=*/false, MessageBoxW, RegistryView::k64Bit);
}

}  // namespace tavion
