#pragma once
// The main window's page "Keyboard layout": the machine's key map (the "Scancode Map" that the
// keyboard driver applies from the next start of Windows) as a list, edited through the
// key-remap dialog, switched on and off, and saved as a registry file.
#include <memory>

#include "ui/page_win.h"

namespace tavion {

class RegistryStore;

// `machine` is the store whose root is the machine's "Keyboard Layout" key; null takes the
// system's (OpenKeyboardLayoutStore).
std::unique_ptr<Page> CreateKeyboardLayoutPage(std::unique_ptr<RegistryStore> machine = nullptr);

}  // namespace tavion
