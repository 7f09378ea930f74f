#pragma once
// The main window's page "Shell keys": the Windows shell's application keys of this computer as
// a list with Add, Edit, Delete and Help. Read again whenever it is shown.
#include <memory>

#include "settings/registry.h"
#include "ui/page_win.h"

namespace tavion {

// The page over the shell's own AppKey key (HKEY_LOCAL_MACHINE).
std::unique_ptr<Page> CreateShellKeysPage();
// The page over `appKey`, a store rooted at the key that holds the shell keys.
std::unique_ptr<Page> CreateShellKeysPage(std::unique_ptr<RegistryStore> appKey);

}  // namespace tavion
