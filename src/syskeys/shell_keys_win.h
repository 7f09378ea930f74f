#pragma once
// The shell's application keys of this computer: the AppKey key under HKEY_LOCAL_MACHINE as a
// store for ReadShellKeys and ApplyShellKeyChange.
#include <memory>

#include "settings/registry.h"

namespace tavion {

// A store rooted at HKEY_LOCAL_MACHINE\SOFTWARE\...\Explorer\AppKey in the registry's 64-bit view,
// where Explorer reads it (the 32-bit build would otherwise land in WOW6432Node). Its writes and
// deletions fail without administrator rights; a missing AppKey reads as empty and the first write
// creates it.
std::unique_ptr<RegistryStore> OpenShellKeyStore();

}  // namespace tavion
