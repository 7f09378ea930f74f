#pragma once
// The option controls of the main window, as designed: the persisted "Opt_" controls and the
// general check boxes that are not persisted. Portable.

#include <span>

#include "settings/form.h"

namespace tavion {

// Prefix of the main window's persisted option controls, as SyncOptionControls takes it.
inline constexpr char kMainOptionPrefix[] = "OPT_";

// Every option control of the main window in creation order, with its designed state; the same
// table feeds MemoryForm and the Win32 form runtime.
std::span<const ControlDecl> MainOptionControls();

}  // namespace tavion
