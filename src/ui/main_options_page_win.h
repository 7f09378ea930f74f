#pragma once
// The "Main options" page: the general check boxes in the groups "HotKey kernel options",
// "Misc options" and "Trouble shooting", and the interface language.
#include <memory>

#include "ui/page_win.h"

namespace tavion {

std::unique_ptr<Page> CreateMainOptionsPage();

}  // namespace tavion
