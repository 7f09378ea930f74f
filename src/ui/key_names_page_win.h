#pragma once
// The main window's page "Names of keys": the user's key-name table as a list with Add, Edit,
// Delete and Defaults.
#include <memory>

#include "ui/page_win.h"

namespace tavion {

std::unique_ptr<Page> CreateKeyNamesPage();

}  // namespace tavion
