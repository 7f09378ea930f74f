#include "syskeys/shell_keys_win.h"

#include <windows.h>

#include "settings/registry_win.h"
#include "syskeys/shell_keys.h"

namespace tavion {

std::unique_ptr<RegistryStore> OpenShellKeyStore() {
  return std::make_unique<Win32Registry>(HKEY_LOCAL_MACHINE, kAppKeyPath, RegistryView::k64Bit);
}

}  // namespace tavion
