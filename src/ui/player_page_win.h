#pragma once
// The "Media player manage" page: the player type, the player's program with a browse button,
// and the player options.
#include <memory>

#include "ui/page_win.h"

namespace tavion {

std::unique_ptr<Page> CreatePlayerPage();

}  // namespace tavion
