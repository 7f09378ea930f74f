#pragma once
// The "About" page: the program's name, version and build date, the maker's contact texts and
// the automatic update check's switch.
#include <memory>

#include "ui/page_win.h"

namespace tavion {

std::unique_ptr<Page> CreateAboutPage();

}  // namespace tavion
