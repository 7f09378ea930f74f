#pragma once
// "Custom key edit" (TFr_ke): the captured key of a capture control typed in as numbers.
#include "keys/key_edit_win.h"

namespace tavion {

// Edits the key of `edit` over its window: modifiers (a drop-down of the 16 masks with a number
// field kept equal), key code, scan code and flags. Each change is applied to `edit` at once;
// Cancel puts back the key it had. Returns whether the user confirmed with OK.
bool EditCustomKey(KeyEdit& edit);

}  // namespace tavion
