#pragma once
// The main window's page "Plugins": the loaded plug-ins as a list with Options, Delete, Info,
// Actions and Add, and the selected plug-in's description under it.
#include <memory>

#include "ui/page_win.h"

namespace tavion {

std::unique_ptr<Page> CreatePluginsPage();

}  // namespace tavion
