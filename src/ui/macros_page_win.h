#pragma once
// The main window's page "Macros": the stored macros as a list with Record/Stop, "Add action for
// macros", Edit, Delete and Help. Recording ends with the name dialog; the new macro is stored,
// selected and opened in the macro editor. Refilled whenever it is shown.
#include <memory>

#include "ui/page_win.h"

namespace tavion {

std::unique_ptr<Page> CreateMacrosPage();

}  // namespace tavion
