#pragma once
// The "Media player manage" page's table. Portable.

#include <vector>

#include "settings/form.h"

namespace tavion {

std::vector<ControlDecl> PlayerPageControls();

}  // namespace tavion
